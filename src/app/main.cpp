#include <cstdio>

int main() {
    std::fputs("usage: tracery --demo\n", stderr);
    return 2;
}
