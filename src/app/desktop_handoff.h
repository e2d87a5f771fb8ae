// The window and the installer are a program of their own, "vorn1-desktop",
// so that vorn1 itself links no window toolkit: a batch run then starts in a
// few milliseconds instead of loading some forty libraries it never uses.
// vorn1 becomes that program (exec, same process, same arguments) when it is
// asked for a window. The desktop program lies beside vorn1 (a build tree, a
// program folder, the distribution) or in ../lib/orvane/ (an FHS install).
#pragma once

#include <string>
#include <string_view>

inline constexpr std::string_view kDesktopProgram = "vorn1-desktop";

// The desktop program for the vorn1 in program_folder (ending in "/"):
// empty when there is none to run.
std::string desktop_program_beside(std::string_view program_folder);

// Replaces this process by the desktop program with the same arguments,
// telling it this program's own path. Returns only when there is no desktop
// program or it cannot be started; then says so on standard error, naming
// the program as name ("vorn1" or "setup").
void hand_to_desktop(char** argv, std::string_view name);

// In the desktop program: the path vorn1 was started from stands for the
// program's own path (vtfile_exe_path), so the mode, the data folder and
// the installer's program folder are vorn1's. Taken out of the environment,
// so nothing the window starts inherits it.
void take_front_path();
