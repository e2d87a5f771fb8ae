// Whether the program's main window is open: it holds a lock file while it
// lives, and the installer must not replace a running program.
#pragma once

// True when another process holds the main window's lock.
bool main_window_running();
