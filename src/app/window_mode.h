// The two modes that need a display. The window and installer libraries
// provide them; builds without Qt link stubs that say so and return 1.
#pragma once

#include <string_view>

// Runs the main window with an HTML file preset as a single-file project
// (empty: nothing preset). Returns the process exit code.
int run_window(int argc, char** argv, std::string_view preset_file);

// Runs the installer wizard. Returns the process exit code.
int run_installer(int argc, char** argv);
