// temp_name: the temporary files beside a target, ".<name>.XXXXXX.orvane-tmp",
// in which new bytes wait for their rename (or a backup for its name).
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

// A path for a temporary file beside target, ".<name>.XXXXXX.orvane-tmp"
// with six random letters or digits; the file may exist already.
std::string atomic_temp_candidate(const std::string& target);
// Creates a temporary file beside target (atomic_temp_candidate), open for
// reading and writing with permission bits mode (under the umask). Its
// descriptor, or -1; temp receives its path.
int atomic_temp_beside(const std::string& target, std::string& temp, mode_t mode = 0600);
// The <name> in the temporary files of a target named target_name.
std::string atomic_temp_stem(std::string_view target_name);
// True when entry (a bare file name) has the form of such a temporary file;
// stem then receives its <name>.
bool atomic_temp_parse(std::string_view entry, std::string_view& stem);
