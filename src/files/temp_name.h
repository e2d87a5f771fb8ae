// temp_name: the temporary files beside a target, ".<name>.XXXXXX.orvane-tmp",
// in which new bytes wait for their rename (or a backup for its name).
#pragma once

#include <string>
#include <string_view>

// Creates a temporary file beside target, named ".<name>.XXXXXX.orvane-tmp",
// open for reading and writing with permission bits 0600. Its descriptor, or
// -1; temp receives its path.
int atomic_temp_beside(const std::string& target, std::string& temp);
// The <name> in the temporary files of a target named target_name.
std::string atomic_temp_stem(std::string_view target_name);
// True when entry (a bare file name) has the form of such a temporary file;
// stem then receives its <name>.
bool atomic_temp_parse(std::string_view entry, std::string_view& stem);
