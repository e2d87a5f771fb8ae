// xml_node and xml_tree: one parsed document.
//
// Each node keeps the exact bytes it stands for (`source`), so writing the
// sources of all nodes in document order gives back the file. Byte fields are
// views into memory that the tree owns (the input chunks the reader kept, or
// the tree's arena for bytes the engine writes); they live as long as the tree.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>
#include <vector>

#include "core/vte_tree.h"
#include "core/vthash.h"
#include "core/vtstring.h"
#include "html/xml_kind.h"

// What the tagged reader keeps beside a node: the decoded text of a text
// node or the content of a CDATA section, and the decoded attributes of a
// start or empty-element tag. HTML nodes have none.
struct xml_tagged {
    std::string_view text;
    const vthash* attributes = nullptr;
};

// A page holds a node for every dozen bytes or so, so the node is kept small:
// kind and closed fill the padding after the links, and what only the tagged
// reader needs lives beside the node.
struct xml_node : vte_node<xml_node> {
    xml_kind kind = xml_kind::none;
    bool closed = false;
    std::string_view name;    // element name (lower case from the HTML reader)
    std::string_view source;  // the bytes written back for this node
    const xml_tagged* tagged = nullptr;

    // Tagged reader only: decoded text / CDATA content; empty otherwise.
    std::string_view text() const { return tagged ? tagged->text : std::string_view(); }

    // The attributes of a start or empty-element tag: the stored ones, or the
    // HTML split of the tag's own bytes, up to its first '>' (names lower-cased,
    // values as written).
    vthash attributes() const;
    // The value of one attribute (of a repeated one, the first, as browsers
    // read it); false when absent.
    bool attribute(std::string_view attribute_name, vtstring& value) const;
};

class xml_tree : public vte_tree<xml_node> {
  public:
    xml_tree() = default;

    // Copies bytes into the tree's arena; the view lives as long as the tree.
    std::string_view keep(std::string_view bytes);
    // Uninitialised room for n bytes in the arena.
    char* allocate(size_t n);
    // Takes over a block of memory whose bytes nodes may point into.
    void adopt(std::unique_ptr<char[]> block) { blocks_.push_back(std::move(block)); }
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

  private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;
    size_t free_left_ = 0;
    std::deque<vthash> attribute_sets_;
    vte_pool<xml_tagged> tagged_;
};

// Writes the sources of every node in document order, nothing between them.
void write_tree(const xml_tree& tree, vtstring& out);
