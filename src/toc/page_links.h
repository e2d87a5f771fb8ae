// Links between the pages of a build.
#pragma once

#include <string>
#include <string_view>

#include "core/vtstring.h"

// The absolute, normal form of a page's path: a relative path is taken from
// the current folder, and ".", ".." and doubled "/" are resolved in the text
// (backslashes count as "/"). Two spellings of one page give one path.
std::string normal_page_path(std::string_view path);

// The URL-encoded link from the folder of the page `from` to the page `to`,
// both normal paths: empty for the same page.
vtstring page_link(std::string_view from, std::string_view to);
