// toc_node and toc_tree: the TOC entries that one build collects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/vte_pool.h"
#include "core/vtstring.h"
#include "toc/toc_texts.h"

// One item: its place in the tree, its page, and views of its texts, which
// its tree keeps (toc_tree::set_text and the like). A site holds every item
// until its TOC is written, so an item is kept small: three links, three
// views, no heap block of its own.
struct toc_node {
    toc_node* parent = nullptr;
    toc_node* next = nullptr;  // the next sibling
    toc_node* first_child = nullptr;

    // The heading's text as written, tags removed.
    std::string_view text() const { return {text_, text_size_}; }
    // "#" + anchor (toc_tree::link gives it in full).
    std::string_view link() const { return {link_, link_size_}; }
    // "1.4.2. " when numbering is on, else empty.
    std::string_view numbering() const { return {numbering_, numbering_size_}; }

  private:
    friend class toc_tree;
    const char* text_ = "";
    const char* link_ = "";
    const char* numbering_ = "";

  public:
    int32_t page = -1;           // index of the item's page in its tree's pages
    int32_t numbered_below = 0;  // numbered items counted under this one so far

  private:
    uint32_t text_size_ = 0;
    uint32_t link_size_ = 0;
    uint16_t numbering_size_ = 0;  // six levels of numbers fit many times over

  public:
    int8_t heading_level = 0;        // 1 to 6 for a heading, 0 for a page title
    bool unnumbered_branch = false;  // of the unnumbered class, or under such an item
};

// Items are added in document order only: each new one goes at the end of
// the top level or as the last child of an item on the way down to the last
// item, as a scan of pages one after the other finds them.
class toc_tree {
  public:
    toc_tree() = default;
    toc_tree(const toc_tree&) = delete;
    toc_tree& operator=(const toc_tree&) = delete;
    toc_tree(toc_tree&&) = default;
    toc_tree& operator=(toc_tree&&) = default;

    // A new item owned by the tree, not yet placed.
    toc_node* make() { return items_.emplace_back(); }
    void append_top(toc_node* item) { append(item, nullptr); }
    void append_child(toc_node* item, toc_node* parent) { append(item, parent); }
    // After the last sibling of other, at other's level.
    void append_sibling(toc_node* item, const toc_node* other) { append(item, other->parent); }

    toc_node* first() const { return first_; }
    bool empty() const { return first_ == nullptr; }
    // Items made so far.
    size_t size() const { return items_.size(); }
    // Bytes held for the items' texts.
    size_t text_bytes() const { return texts_.reserved(); }

    // Next item in document order: first child; else next sibling; else the
    // next sibling of the nearest ancestor that has one.
    static toc_node* next(const toc_node* item) {
        if (item->first_child) return item->first_child;
        for (const toc_node* n = item; n; n = n->parent)
            if (n->next) return n->next;
        return nullptr;
    }
    static int32_t depth(const toc_node* item) {
        int32_t d = 0;
        for (const toc_node* p = item->parent; p; p = p->parent) ++d;
        return d;
    }

    void set_text(toc_node* item, std::string_view text);
    void set_link(toc_node* item, std::string_view link);
    void set_numbering(toc_node* item, std::string_view numbering);

    vtstring indent;  // indentation unit for templates
    // Numbered items counted so far that have no numbered item above them.
    int32_t numbered_top = 0;
    // The normal paths of the pages whose items the tree holds.
    std::vector<std::string> pages;

    // An item's link: "#" + anchor, with the path from the destination in
    // front once link_from_destination has been given for its page. Held
    // once a page rather than in every item: a site of a million items
    // would otherwise keep a copy of the path in each of their links.
    std::string_view link(const toc_node& item, vtstring& scratch) const {
        const std::string_view path = page_link(item.page);
        if (path.empty()) return item.link();
        scratch = path;
        scratch.append(item.link());
        return scratch.view();
    }
    // The path from the destination that page's links have in front; empty
    // when they have none.
    std::string_view page_link(int32_t page) const {
        if (page < 0 || static_cast<size_t>(page) >= page_links_.size()) return {};
        return page_links_[static_cast<size_t>(page)].view();
    }
    void link_from_destination(int32_t page, vtstring path) {
        if (page < 0) return;
        if (page_links_.size() <= static_cast<size_t>(page))
            page_links_.resize(static_cast<size_t>(page) + 1);
        page_links_[static_cast<size_t>(page)] = std::move(path);
    }

  private:
    // Links item as the last child of parent (of the top level when none).
    void append(toc_node* item, toc_node* parent);
    // The last child of parent (of the top level when none), or none.
    toc_node* last_child(const toc_node* parent) const;

    vte_pool<toc_node> items_;
    toc_texts texts_;
    toc_node* first_ = nullptr;
    toc_node* last_ = nullptr;          // the last item in document order
    std::vector<vtstring> page_links_;  // by page; empty until given
};
