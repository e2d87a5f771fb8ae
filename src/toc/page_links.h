// Links between the pages of a build.
#pragma once

#include <string>
#include <string_view>

#include "core/vtstring.h"
#include "toc/toc_node.h"

// The URL-encoded link from the folder of the page `from` to the page `to`,
// both normal paths (vtfile_normal_path): empty for the same page.
vtstring page_link(std::string_view from, std::string_view to);

// What a page navigation comment becomes: a link from the page `from` to
// the page `to` (normal paths) with the relation rel ("prev", "next",
// "contents"), named by text (HTML). Empty when `to` is `from` itself.
vtstring page_nav_link(std::string_view from, std::string_view to, std::string_view text,
                       std::string_view rel);

// The name of a page in the navigation of others: the numbering and text of
// its first item, else the file name of its path, as HTML.
vtstring page_nav_name(const toc_node* first_item, std::string_view path);
