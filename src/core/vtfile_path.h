// Path texts: separators, relative paths and the folder helpers of the
// installer.
#pragma once

#include <string>
#include <string_view>

// A copy of path with every backslash turned into a slash.
std::string vtfile_path(std::string_view path);
