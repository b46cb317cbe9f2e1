#include "app/CommandLine.h"

#ifdef TRACERY_GUI
#include "shell/CPlumeApp.h"
#endif

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

// The headless options, and bad usage, are the command line's; everything else (no
// argument, or files to open) starts the window program.
bool WantsCommandLine(int argc, char** argv) {
    return argc >= 2 && std::strncmp(argv[1], "--", 2) == 0;
}

bool HaveDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
#ifdef TRACERY_GUI
    if (!WantsCommandLine(argc, argv)) {
        if (!HaveDisplay()) {
            std::cerr << "tracery: no display to show the window on; without one, use --export, "
                         "--info or --demo (tracery --help lists them)\n";
            return 2;
        }
        return RunWindowProgram(argc, argv);
    }
#endif
    return RunCommandLine(argc, argv, std::cout, std::cerr);
}
