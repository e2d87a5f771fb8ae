// The desktop entries this program installs: the setup wizard's
// ("velt-orvane-...") and the Debian package's ("org.orvane.Orvane...").
// None of them may stand in for the user's web browser or text editor.
#pragma once

#include <string_view>

inline bool is_own_desktop_entry(std::string_view id) {
    return id.starts_with("velt-orvane-") || id.starts_with("org.orvane.Orvane");
}
