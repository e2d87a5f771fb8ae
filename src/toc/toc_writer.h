// Writing a page back with its new TOC in place of the old one.
#pragma once

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
