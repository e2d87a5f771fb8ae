// The program's submenu of the desktop's application menu, by the
// freedesktop menu rules, laid out for one user as xdg-desktop-menu lays it
// out: the entries in the applications folder, a ".directory" file that
// names the submenu in $XDG_DATA_HOME/desktop-directories/, and a ".menu"
// file in $XDG_CONFIG_HOME/menus/applications-merged/ that merges the
// submenu into the applications menu and lists its entries.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The merged menu file of a submenu described by the directory file
// directory_id ("velt-orvane.directory") that holds the entries entry_ids
// (desktop file IDs), in that order.
std::string submenu_text(std::string_view directory_id, const std::vector<std::string>& entry_ids);

// The ".directory" file of a submenu shown as name with icon (may be empty).
std::string directory_text(std::string_view name, std::string_view icon);

// Brings the cache of "Open With" choices of an applications folder up to
// date: runs update-desktop-database on it where that program is present. A
// folder that no longer holds any desktop entry needs no cache: its
// mimeinfo.cache is removed instead, so a removal leaves nothing behind.
void refresh_desktop_database(const std::string& folder);
