// The installer mode of builds without Qt.
#include <cstdio>

#include "app/window_mode.h"

int run_installer(int, char**) {
    std::fputs("setup: the installer is not part of this build\n", stderr);
    return 1;
}
