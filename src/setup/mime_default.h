// Which program the desktop opens a MIME type with by default, and keeping
// it so. An "Open With" entry for HTML pages in the user's applications
// folder would otherwise become that program wherever the user never chose
// one: desktops take the first program listed for the type, the user's own
// folder first.
#pragma once

#include <string>
#include <string_view>

// The desktop entry that opens mime_type by default, as xdg-open finds it
// (xdg-mime; where that is missing, gio). known is false when neither tool
// can be asked; the result is empty when no program is set up for it.
std::string mime_default(std::string_view mime_type, bool& known);

// mimeapps.list text with "mime_type=entry;" in its [Default Applications]
// group (the group made when missing), unless the group names a program for
// mime_type already. added tells which.
std::string with_default(std::string_view text, std::string_view mime_type, std::string_view entry,
                         bool& added);

// mimeapps.list text without line in its [Default Applications] group (and
// without the group when the line was all it held). removed tells whether
// the line was there.
std::string without_default(std::string_view text, std::string_view line, bool& removed);

// The user's mimeapps.list: $XDG_CONFIG_HOME/mimeapps.list. Empty when
// there is no configuration folder.
std::string user_mimeapps_list();
