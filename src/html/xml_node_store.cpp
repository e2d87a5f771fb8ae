#include "html/xml_node_store.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>

xml_node_store::~xml_node_store() {
    for (const slab& s : slabs_) ::operator delete[](s.bytes, std::align_val_t(s.alignment));
}

void xml_node_store::next_segment() {
    // Segments given back by release_from are used again first.
    if (!table_.empty() && current_ + 1 < table_.size()) {
        ++current_;
        next_slot_ = 1;
        return;
    }
    new_segment();
    current_ = table_.size() - 1;
}

void xml_node_store::release_to(uint32_t number) {
    current_ = number >> xml_slot_bits;
    // A place past a segment's last slot makes the next node go to the next
    // segment, as usual.
    next_slot_ = number & xml_slot_mask;
    size_ = current_ * (slots - 1) + next_slot_ - 1;
}

void xml_node_store::expect(size_t nodes) {
    while (wanted_slab_ < huge_page && wanted_slab_ / node_bytes < nodes) wanted_slab_ *= 2;
}

void xml_node_store::new_segment() {
    if (table_.size() >= (size_t{1} << (32 - xml_slot_bits))) throw std::bad_alloc();
    if (slab_left_ == 0) {
        // Each slab twice the last, up to a huge page, or as large as the
        // nodes expected.
        const size_t size = std::max(
            slabs_.empty() ? xml_segment_bytes : std::min(slabs_.back().size * 2, huge_page),
            wanted_slab_);
        slabs_.reserve(slabs_.size() + 1);
        char* bytes = static_cast<char*>(::operator new[](size, std::align_val_t(size)));
        if (size == huge_page) madvise(bytes, size, MADV_HUGEPAGE);
        slabs_.push_back({bytes, size, size});
        slab_left_ = size / xml_segment_bytes;
    }
    const slab& s = slabs_.back();
    char* segment = s.bytes + (s.size / xml_segment_bytes - slab_left_) * xml_segment_bytes;
    --slab_left_;
    char* const* before = table_.data();
    table_.push_back(segment);
    ::new (static_cast<void*>(segment))
        xml_segment_header{table_.data(), this, static_cast<uint32_t>(table_.size() - 1)};
    // A table that moved is told to every segment.
    if (table_.data() != before)
        for (char* other : table_)
            reinterpret_cast<xml_segment_header*>(other)->table = table_.data();
    next_slot_ = 1;
}

xml_name& xml_name::operator=(std::string_view name) {
    number_ = xml_link::header_of(this)->store->name_number(name);
    return *this;
}

std::string_view xml_name::view() const {
    return number_ ? xml_link::header_of(this)->store->name(number_) : std::string_view();
}
