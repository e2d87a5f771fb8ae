// The order in which people expect numbered names: "2.html" before
// "10.html", "Intro" beside "index".
#pragma once

#include <string_view>

// Below, equal to or above 0 as a comes before, with or after b. Runs of
// digits compare by their value, other bytes by their ASCII lower case
// (bytes from 0x80 up as they are); names that tie that way ("01" and "1",
// "A" and "a") compare by their bytes, so only equal names are equal.
int natural_compare(std::string_view a, std::string_view b);
