// The marker that tells other programs (the installer) that the main window
// is open: a lock file in the user's runtime folder, held while the window
// lives.
#pragma once

#include <QString>

// Path of the main window's lock file.
QString main_window_lock_path();

// True when another live process holds the main window's lock. A lock left
// by a process that has died is taken over, so only a live window counts.
bool main_window_running();
