// Links between the pages of a build.
#pragma once

#include <string>
#include <string_view>

#include "core/vtstring.h"

// The URL-encoded link from the folder of the page `from` to the page `to`,
// both normal paths (vtfile_normal_path): empty for the same page.
vtstring page_link(std::string_view from, std::string_view to);
