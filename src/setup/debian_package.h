// Whether Orvane is installed on this system from its Debian package, which
// the setup wizard must not install a second copy over.
#pragma once

#include <string>
#include <string_view>

// The program of the installed Debian package "orvane": root +
// "/usr/bin/vorn1" when it is there beside root + "/usr/share/orvane/vtdata",
// else "/usr/bin/vorn1" when dpkg-query reports the package installed. Empty
// when neither says so. root is "" for the running system.
std::string debian_package_program(std::string_view root = {});
