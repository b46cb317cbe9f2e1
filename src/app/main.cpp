#include "app/CoreDemo.h"

#include <cstdio>
#include <cstring>
#include <iostream>

namespace {
void PrintUsage() {
    std::fputs("usage: tracery --demo    map a few pixel positions of an example region and\n"
               "                         print the resulting data set\n",
               stderr);
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--demo") == 0) {
        return RunCoreDemo(std::cout);
    }
    PrintUsage();
    return 2;
}
