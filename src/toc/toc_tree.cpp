#include "toc/toc_node.h"

toc_node* toc_tree::last_child(const toc_node* parent) const {
    // The last item's ancestors are the last children of theirs.
    for (toc_node* n = last_; n; n = n->parent)
        if (n->parent == parent) return n;
    // Off that path, which the scan never asks for: the children are
    // walked.
    toc_node* n = parent ? parent->first_child : first_;
    while (n && n->next) n = n->next;
    return n;
}

void toc_tree::append(toc_node* item, toc_node* parent) {
    item->parent = parent;
    item->next = nullptr;
    if (toc_node* before = last_child(parent))
        before->next = item;
    else if (parent)
        parent->first_child = item;
    else
        first_ = item;
    // The item is last in document order unless it went in above the
    // subtree that ends the tree.
    if (!last_ || next(item) == nullptr) last_ = item;
}

void toc_tree::set_text(toc_node* item, std::string_view text) {
    const std::string_view kept = texts_.keep(text);
    item->text_ = kept.data() ? kept.data() : "";
    item->text_size_ = static_cast<uint32_t>(kept.size());
}

void toc_tree::set_link(toc_node* item, std::string_view link) {
    const std::string_view kept = texts_.keep(link);
    item->link_ = kept.data() ? kept.data() : "";
    item->link_size_ = static_cast<uint32_t>(kept.size());
}

void toc_tree::set_numbering(toc_node* item, std::string_view numbering) {
    const std::string_view kept = texts_.keep(numbering);
    item->numbering_ = kept.data() ? kept.data() : "";
    item->numbering_size_ = static_cast<uint16_t>(kept.size());
}

// A 100,000-page site holds a few hundred thousand items until its TOC is
// written: each stays within this.
static_assert(sizeof(toc_node) <= 72);
