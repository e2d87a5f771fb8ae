// The window mode of builds without Qt.
#include <cstdio>

#include "app/window_mode.h"

int run_window(int, char**, std::string_view) {
    std::fputs("vorn1: the main window is not part of this build; use -command project_filename\n",
               stderr);
    return 1;
}
