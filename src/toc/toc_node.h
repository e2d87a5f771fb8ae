// toc_node and toc_tree: the TOC entries that one build collects.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/small_text.h"
#include "core/vte_tree.h"
#include "core/vtstring.h"

// Link and number are short texts kept in place: a page of half a million
// headings would otherwise spend a heap block on each of them.
struct toc_node : vte_node<toc_node> {
    int32_t heading_level = 0;       // 1 to 6 for a heading, 0 for a page title
    vtstring text;                   // the heading's text as written, tags removed
    small_text<32> link;             // "#" + anchor (toc_tree::link gives it in full)
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

    // An item's link: "#" + anchor, with the path from the destination in
    // front once link_from_destination has been given for its page. Held
    // once a page rather than in every item: a site of a million items
    // would otherwise keep a heap block for each of their links.
    std::string_view link(const toc_node& item, vtstring& scratch) const {
        if (item.page < 0 || static_cast<size_t>(item.page) >= page_links_.size() ||
            page_links_[static_cast<size_t>(item.page)].empty())
            return item.link.view();
        scratch = page_links_[static_cast<size_t>(item.page)].view();
        scratch.append(item.link.view());
        return scratch.view();
    }
    void link_from_destination(int32_t page, vtstring path) {
        if (page < 0) return;
        if (page_links_.size() <= static_cast<size_t>(page))
            page_links_.resize(static_cast<size_t>(page) + 1);
        page_links_[static_cast<size_t>(page)] = std::move(path);
    }

  private:
    std::vector<vtstring> page_links_;  // by page; empty until given
};
