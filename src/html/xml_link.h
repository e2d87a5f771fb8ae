// xml_link: a link from one document node to another of the same tree, kept
// in four bytes instead of a pointer's eight.
//
// A link holds the other node's number in its tree: the segment it lies in
// and its slot there. Nodes live in segments of xml_segment_bytes aligned to
// their size, so a link finds its own segment's header from its address, and
// through it the table of segments of its tree. A link therefore works only
// inside a node of a tree: it cannot be copied out (a copy on the stack would
// find no header), only read as a pointer or assigned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct xml_node;
class xml_node_store;

inline constexpr size_t xml_segment_bytes = 16384;
inline constexpr unsigned xml_slot_bits = 9;
inline constexpr uint32_t xml_slot_mask = (1u << xml_slot_bits) - 1;

// The first slot of every segment.
struct xml_segment_header {
    char* const* table;  // the first byte of every segment of the tree
    xml_node_store* store;
    uint32_t number;  // this segment's place in the table
};

// An element name in four bytes: its number in the tree's table of names,
// which holds each name once. Equal names of one tree have equal numbers.
// Like a link it works only inside a node of a tree.
class xml_name {
  public:
    xml_name() = default;
    xml_name(const xml_name&) = delete;
    // Both names lie in the same tree.
    xml_name& operator=(const xml_name& other) {
        number_ = other.number_;
        return *this;
    }
    // The bytes must live as long as the tree (its memory, or a literal).
    xml_name& operator=(std::string_view name);

    // The name by its number in the tree (xml_tree::name_number).
    void set_number(uint32_t number) { number_ = number; }
    uint32_t number() const { return number_; }

    std::string_view view() const;
    operator std::string_view() const { return view(); }  // NOLINT: reads as a view
    const char* data() const { return view().data(); }
    size_t size() const { return view().size(); }
    bool empty() const { return number_ == 0; }

    friend bool operator==(const xml_name& a, const xml_name& b) { return a.number_ == b.number_; }
    friend bool operator==(const xml_name& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const xml_name& a, const char* b) { return a.view() == b; }

  private:
    uint32_t number_ = 0;  // 0: no name
};

class xml_link {
  public:
    xml_link() = default;
    xml_link(const xml_link&) = delete;
    // Both links lie in the same tree: the number stands for the same node.
    xml_link& operator=(const xml_link& other) {
        index_ = other.index_;
        return *this;
    }
    xml_link& operator=(xml_node* node);
    xml_link& operator=(std::nullptr_t) {
        index_ = 0;
        return *this;
    }

    xml_node* get() const;
    operator xml_node*() const { return get(); }  // NOLINT: reads as a pointer
    xml_node* operator->() const { return get(); }

    // The header of the segment that holds the byte at address.
    static const xml_segment_header* header_of(const void* address) {
        return reinterpret_cast<const xml_segment_header*>(reinterpret_cast<uintptr_t>(address) &
                                                           ~uintptr_t{xml_segment_bytes - 1});
    }

  private:
    uint32_t index_ = 0;  // 0: none (slot 0 holds the header)
};
