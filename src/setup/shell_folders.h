// The folders the installer puts things in, the Linux way: the menu's
// applications folder, the desktop, and the folder for programs.
#pragma once

#include <string>

// $XDG_DATA_HOME, else $HOME/.local/share. False when neither is set.
bool data_home_folder(std::string& folder);
// $XDG_CONFIG_HOME, else $HOME/.config. False when neither is set.
bool config_home_folder(std::string& folder);
// The folder of menu entries: data home + "/applications" (it may not exist
// yet). False when there is no data home.
bool programs_folder(std::string& folder);
// The desktop: what `xdg-user-dir DESKTOP` prints, else $HOME/Desktop (it
// may not exist yet). False when neither can be told.
bool desktop_folder(std::string& folder);
// Where programs are installed: "/opt" for root, else the data home.
bool program_files_folder(std::string& folder, bool as_root);
bool program_files_folder(std::string& folder);
