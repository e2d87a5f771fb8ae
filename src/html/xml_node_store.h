// xml_node_store: where the nodes of one document tree live.
//
// Nodes are made in segments of xml_segment_bytes, each aligned to its size,
// whose first slot is a header (xml_link.h); a node's number is its segment's
// place and its slot. Segments come in slabs of growing size, up to two
// megabytes that are asked to be backed by a huge page: faulting in fresh
// memory a page at a time costs more than building the nodes. Nothing is
// freed one node at a time; nodes need no destructor. What only the tagged
// reader keeps beside a node lives here too, found by the node's number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "html/name_table.h"
#include "html/xml_node.h"

class xml_node_store {
  public:
    static constexpr size_t node_bytes = xml_node_bytes;
    static constexpr uint32_t slots = xml_segment_bytes / node_bytes;  // slot 0: the header
    static constexpr size_t huge_page = huge_page_bytes;
    static_assert(slots - 1 <= xml_slot_mask && sizeof(xml_segment_header) <= node_bytes);

    xml_node_store() = default;
    xml_node_store(const xml_node_store&) = delete;
    xml_node_store& operator=(const xml_node_store&) = delete;
    ~xml_node_store();

    xml_node* make() {
        if (next_slot_ == slots) next_segment();
        xml_node* node =
            ::new (static_cast<void*>(table_[current_] + next_slot_ * node_bytes)) xml_node;
        ++next_slot_;
        ++size_;
        return node;
    }
    // About how many nodes the tree will hold: the next slab is made for
    // them (up to a huge page) instead of growing to them from the smallest.
    void expect(size_t nodes);
    // Nodes made so far and not released.
    size_t size() const { return size_; }
    // Gives back every node made after node (release_after), or node too
    // (release_from): the next nodes made take their places. Nothing may
    // still link to them, and none has a tagged-reader record.
    void release_after(const xml_node* node) { release_to(xml_node_number(node) + 1); }
    void release_from(const xml_node* node) { release_to(xml_node_number(node)); }

    // The number of a name in the table of names, added when new (with the
    // bytes keep(name) gives, when given); 0 for the empty name.
    uint32_t name_number(std::string_view name) {
        return name_number(name, [](std::string_view kept) { return kept; });
    }
    template <class Keep>
    uint32_t name_number(std::string_view name, Keep keep) {
        return names_.number(name, keep);
    }
    std::string_view name(uint32_t number) const { return names_.name(number); }

    // The tagged-reader record of node, made when it has none yet.
    xml_tagged& tagged(const xml_node* node) { return tagged_[xml_node_number(node)]; }
    // Its record, or none.
    const xml_tagged* find_tagged(const xml_node* node) const {
        if (tagged_.empty()) return nullptr;
        const auto found = tagged_.find(xml_node_number(node));
        return found == tagged_.end() ? nullptr : &found->second;
    }

  private:
    struct slab {
        char* bytes;
        size_t size;
        size_t alignment;
    };

    // Moves on to the next segment, made when there is none yet.
    void next_segment();
    void new_segment();
    // The next node made takes the place of the given number.
    void release_to(uint32_t number);

    std::vector<char*> table_;
    std::vector<slab> slabs_;
    size_t slab_left_ = 0;  // segments of the last slab not yet in the table
    size_t wanted_slab_ = xml_segment_bytes;
    size_t current_ = 0;  // the segment nodes are made in
    uint32_t next_slot_ = slots;
    size_t size_ = 0;
    std::unordered_map<uint32_t, xml_tagged> tagged_;
    name_table names_;
};
