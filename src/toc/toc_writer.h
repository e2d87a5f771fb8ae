// Writing a page back with its new TOC in place of the old one.
#pragma once

#include <functional>
#include <string_view>

#include "core/atomic_file.h"
#include "core/vtarr.h"
#include "core/vtstring.h"
#include "html/xml_node.h"

struct toc_placement {
    const xml_node* start_marker = nullptr;
    const xml_node* end_marker = nullptr;
    const xml_node* insertion_point = nullptr;
    bool after_subtree = false;  // the TOC follows the insertion point's subtree
};

// Appends the page to out: the old TOC (both markers and everything between
// them) is left out, and the rendered TOC pieces, when given, follow the
// insertion point. Markers out of order count as absent. When the insertion
// point lies inside the old TOC or is one of its markers, the new TOC takes
// the old one's place.
void write_with_toc(const xml_tree& document, const toc_placement& placement, const vtarr* toc,
                    vtstring& out);
// The same bytes written into an opened atomic file; false when a write
// failed.
bool write_with_toc(const xml_tree& document, const toc_placement& placement, const vtarr* toc,
                    atomic_file& out);
// Replaces path atomically with what write_with_toc gives, streamed from the
// nodes' bytes without building the page in memory. False, with error naming
// path, when the file cannot be opened, written or committed ("Can't open
// file for writing: "), would reach page_size_limit, which the reader
// refuses ("Page is too large: "), or lies behind another user's link; path
// is then untouched.
bool write_page_file(std::string_view path, const xml_tree& document,
                     const toc_placement& placement, const vtarr* toc, vtstring& error);

// Writes the TOC through put when the write-out reaches its place; false
// when it cannot be made.
using toc_maker = std::function<bool(const std::function<void(std::string_view)>& put)>;

// The same into an opened atomic file, with the TOC made while the page is
// written rather than held: a page of many headings has a TOC many times
// its own size. False when a write or make_toc failed.
bool write_with_toc(const xml_tree& document, const toc_placement& placement,
                    const toc_maker& make_toc, atomic_file& out);
