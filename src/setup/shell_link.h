// Shortcuts: what a Windows shell link describes, saved as a desktop entry.
#pragma once

#include <string>

struct shortcut_desc {
    // "X.lnk" (or "X.desktop"); the entry is saved as "X.desktop".
    std::string link_path;
    std::string target;
    // One argument for the target; empty for none.
    std::string arguments;
    // An image file; empty for none. Linux icons are images, so the index
    // has no use.
    std::string icon_file;
    int icon_index = 0;
    // 5, a normal window: the only kind a desktop entry starts.
    int show_command = 5;
    std::string working_folder;
    // What this platform's menus add: the name shown (empty: the link's file
    // name without its extension), menu categories and the window class of
    // the program started (both may be empty).
    std::string name;
    std::string categories;
    std::string window_class;
};

// Saves the shortcut: an executable target runs itself, any other target is
// opened with xdg-open. False when the entry cannot be written.
bool create_shortcut(const shortcut_desc& link);
