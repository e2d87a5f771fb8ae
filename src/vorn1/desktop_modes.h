// The two modes of vorn1 that open windows.
#pragma once

#include <string_view>

// Runs the main window with an HTML file preset as a single-file project
// (empty: nothing preset). Returns the process exit code; without a display
// it says so on standard error and returns 1.
int run_window(int argc, char** argv, std::string_view preset_file);

// Runs the installer wizard from the program's own folder. Returns the
// process exit code; without a display it says so and returns 1.
int run_installer(int argc, char** argv);
