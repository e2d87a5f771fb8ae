// text_comments: the comments of a page that stand in its text, where a
// browser reads them as comments of their own (markup_context.h), found
// while the page's bytes were read.
#pragma once

#include <string_view>
#include <vector>

struct text_comments {
    // The page's bytes as they were read; empty when nothing was found.
    std::string_view bytes;
    // The first byte of each such comment, in the order of the bytes.
    std::vector<const char*> starts;
};
