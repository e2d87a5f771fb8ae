// toc_node and toc_tree: the TOC entries that one build collects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/small_text.h"
#include "core/vte_tree.h"
#include "core/vtstring.h"

// Link and number are short texts kept in place: a page of half a million
// headings would otherwise spend a heap block on each of them.
struct toc_node : vte_node<toc_node> {
    int32_t heading_level = 0;       // 1 to 6 for a heading, 0 for a page title
    vtstring text;                   // the heading's text as written, tags removed
    small_text<32> link;             // "#" + anchor, later with the page path in front
    small_text<16> numbering;        // "1.4.2. " when numbering is on, else empty
    int32_t page = -1;               // index of the item's page in its tree's pages
    int32_t numbered_below = 0;      // numbered items counted under this one so far
    bool unnumbered_branch = false;  // of the unnumbered class, or under such an item
};

class toc_tree : public vte_tree<toc_node> {
  public:
    vtstring indent;  // indentation unit for templates
    // Numbered items counted so far that have no numbered item above them.
    int32_t numbered_top = 0;
    // The normal paths of the pages whose items the tree holds.
    std::vector<std::string> pages;
};
