// xml_node and xml_tree: one parsed document.
//
// Each node keeps the exact bytes it stands for (`source`), so writing the
// sources of all nodes in document order gives back the file. Byte fields are
// views into memory that the tree owns (the input chunks the reader kept, or
// the tree's arena for bytes the engine writes); they live as long as the tree.
//
// The tree owns every node it makes; nodes live in its store
// (xml_node_store.h) and are freed all at once when the tree goes (no
// recursion, however deep the tree). A node that is unlinked and not put
// back stays in the store until then. Every walk is iterative, so a page of
// a million nested elements cannot overflow the stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "core/byte_block.h"
#include "core/vthash.h"
#include "core/vtstring.h"
#include "html/text_comments.h"
#include "html/xml_kind.h"
#include "html/xml_link.h"
#include "html/xml_text.h"

// What the tagged reader keeps beside a node: the decoded text of a text
// node or the content of a CDATA section, and the decoded attributes of a
// start or empty-element tag. HTML nodes have none.
struct xml_tagged {
    std::string_view text;
    const vthash* attributes = nullptr;
};

// A page holds a node for every dozen bytes or so, so the node is kept small:
// links and the name of four bytes, the source in twelve, no count of
// children, and what only the tagged reader needs kept apart, in the store.
struct xml_node {
    xml_link parent;
    xml_link next;
    xml_link first_child;
    xml_link prev;
    xml_link last_child;
    xml_kind kind = xml_kind::none;
    bool closed = false;
    uint8_t fold = 0;  // the HTML reader's folding marks (html_fold.h) while it reads
    xml_name name;     // element name (lower case from the HTML reader)
    xml_text source;   // the bytes written back for this node

    xml_node() = default;
    xml_node(const xml_node&) = delete;
    xml_node& operator=(const xml_node&) = delete;

    // Tagged reader only: decoded text / CDATA content; empty otherwise.
    std::string_view text() const;

    // The attributes of a start or empty-element tag: the stored ones, or the
    // HTML split of the tag's own bytes, up to its first '>' (names lower-cased,
    // values as written).
    vthash attributes() const;
    // The value of one attribute (of a repeated one, the first, as browsers
    // read it); false when absent.
    bool attribute(std::string_view attribute_name, vtstring& value) const;
    // Whether the attribute is there, whatever its value.
    bool has_attribute(std::string_view attribute_name) const;

  private:
    const xml_tagged* tagged() const;
    // A start or empty-element tag whose own bytes the splitter can read.
    bool splittable() const {
        return (kind == xml_kind::start_tag || kind == xml_kind::empty_tag) && source.size() >= 2;
    }
};

inline constexpr size_t xml_node_bytes = sizeof(xml_node);

// The number a link to node holds: its segment's place and its slot there.
inline uint32_t xml_node_number(const xml_node* node) {
    const auto at = reinterpret_cast<uintptr_t>(node);
    const auto slot = static_cast<uint32_t>((at & (xml_segment_bytes - 1)) / xml_node_bytes);
    return xml_link::header_of(node)->number << xml_slot_bits | slot;
}

inline xml_node* xml_link::get() const {
    if (!index_) return nullptr;
    // Most links lead into their own segment: no table look-up then.
    const xml_segment_header* own = header_of(this);
    const uint32_t number = index_ >> xml_slot_bits;
    char* segment = number == own->number
                        ? reinterpret_cast<char*>(const_cast<xml_segment_header*>(own))
                        : own->table[number];
    return reinterpret_cast<xml_node*>(segment + (index_ & xml_slot_mask) * xml_node_bytes);
}

inline xml_link& xml_link::operator=(xml_node* node) {
    index_ = node ? xml_node_number(node) : 0;
    return *this;
}

class xml_tree {
  public:
    struct unlinked {
        xml_node* parent;
        xml_node* next;
    };

    xml_tree();
    ~xml_tree();
    xml_tree(const xml_tree&) = delete;
    xml_tree& operator=(const xml_tree&) = delete;
    xml_tree(xml_tree&& other) noexcept;
    xml_tree& operator=(xml_tree&& other) noexcept;

    // A new node owned by the tree, not yet linked.
    xml_node* make();

    xml_node* first() const { return first_; }
    xml_node* last_top() const { return last_; }
    int32_t top_count() const { return count_; }
    bool empty() const { return first_ == nullptr; }

    // Next node in document order: first child; else next sibling; else the
    // next sibling of the nearest ancestor that has one.
    static xml_node* next(const xml_node* node) {
        if (xml_node* child = node->first_child) return child;
        return next_after(node);
    }
    // Next node outside node's subtree.
    static xml_node* next_after(const xml_node* node) {
        for (const xml_node* n = node; n; n = n->parent)
            if (xml_node* after = n->next) return after;
        return nullptr;
    }
    // Next node in document order inside root's subtree (root itself
    // excluded), or none at its end.
    static xml_node* next_within(const xml_node* node, const xml_node* root) {
        if (xml_node* child = node->first_child) return child;
        for (const xml_node* n = node; n && n != root; n = n->parent)
            if (xml_node* after = n->next) return after;
        return nullptr;
    }
    static int32_t depth(const xml_node* node) {
        int32_t d = 0;
        for (const xml_node* p = node->parent; p; p = p->parent) ++d;
        return d;
    }
    // The number of node's children, counted.
    static int32_t child_count(const xml_node* node) {
        int32_t count = 0;
        for (const xml_node* c = node->first_child; c; c = c->next) ++count;
        return count;
    }

    void insert_first_top(xml_node* node) { link(node, nullptr, first_); }
    void append_top(xml_node* node) { link(node, nullptr, nullptr); }
    // Beside other, under the same parent or at the top level.
    void insert_before(xml_node* node, xml_node* other) { link(node, other->parent, other); }
    void insert_after(xml_node* node, xml_node* other) { link(node, other->parent, other->next); }
    void insert_first_child(xml_node* node, xml_node* parent) {
        link(node, parent, parent->first_child);
    }
    void append_child(xml_node* node, xml_node* parent) { link(node, parent, nullptr); }
    // After the last sibling of other, at other's level.
    void append_sibling(xml_node* node, xml_node* other) { link(node, other->parent, nullptr); }
    // Before `before` when given, else as the last child of parent when given,
    // else at the end of the top level.
    void insert(xml_node* node, xml_node* parent, xml_node* before) {
        if (before)
            link(node, before->parent, before);
        else
            link(node, parent, nullptr);
    }

    // Detaches node with its subtree; the former neighbours are joined.
    unlinked unlink(xml_node* node);

    // Makes room at once for about this many nodes.
    void expect_nodes(size_t nodes);
    // Number of nodes made and not released (linked or not).
    size_t pool_size() const;
    // Gives back every node made after node, or node and every node made
    // after it, for the next nodes made; none may be linked from the tree.
    void release_after(const xml_node* node);
    void release_from(const xml_node* node);

    // The number of a name in the tree's table of names (xml_name), added
    // when new; 0 for none. The name's bytes must live as long as the tree,
    // or be copied, which a new name then is.
    uint32_t name_number(std::string_view name, bool copied = false);
    // Copies bytes into the tree's arena; the view lives as long as the tree.
    std::string_view keep(std::string_view bytes);
    // Uninitialised room for n bytes in the arena.
    char* allocate(size_t n);
    // Takes over a block of memory whose bytes nodes may point into.
    void adopt(byte_block block) { blocks_.push_back(std::move(block)); }
    // Gives a node new bytes to write.
    void set_source(xml_node* node, std::string_view bytes) { node->source = keep(bytes); }
    // Gives a node the bytes front, then back, to write.
    void set_source(xml_node* node, std::string_view front, std::string_view back);
    // A new node of the given kind with the given bytes, not yet linked.
    xml_node* make_text(std::string_view bytes);
    // A place for a tagged node's attributes, owned by the tree.
    vthash* make_attributes() { return &attribute_sets_.emplace_back(); }
    // The node's tagged-reader record, made when it has none yet.
    xml_tagged* tagged(xml_node* node);
    // Puts the empty node that every document read for the TOC starts with.
    xml_node* add_leading_empty_node();
    // What a reader found of the comments in the page's text while it read
    // the bytes (comment_standing.h tells when it still holds).
    const text_comments& text_comments_found() const { return text_comments_; }
    void keep_text_comments(text_comments found) { text_comments_ = std::move(found); }

  private:
    // Links node under parent (top level when none) before `before` (at the
    // end when none).
    void link(xml_node* node, xml_node* parent, xml_node* before);
    void set_first(xml_node* parent, xml_node* node) {
        if (parent)
            parent->first_child = node;
        else
            first_ = node;
    }
    void set_last(xml_node* parent, xml_node* node) {
        if (parent)
            parent->last_child = node;
        else
            last_ = node;
    }

    std::unique_ptr<xml_node_store> store_;
    xml_node* first_ = nullptr;
    xml_node* last_ = nullptr;
    int32_t count_ = 0;
    std::vector<byte_block> blocks_;
    char* free_ = nullptr;
    size_t free_left_ = 0;
    std::deque<vthash> attribute_sets_;
    text_comments text_comments_;
};

// Writes the sources of every node in document order, nothing between them.
void write_tree(const xml_tree& tree, vtstring& out);
