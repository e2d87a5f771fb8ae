#include "html/xml_node_store.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
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

namespace {

// Names are short: their length and first eight bytes tell most apart.
size_t name_hash(std::string_view name) {
    uint64_t head = 0;
    std::memcpy(&head, name.data(), std::min<size_t>(name.size(), sizeof head));
    uint64_t h = (head ^ (name.size() * 0x9E3779B97F4A7C15u)) * 0xFF51AFD7ED558CCDu;
    for (size_t i = sizeof head; i < name.size(); ++i)
        h = (h ^ static_cast<unsigned char>(name[i])) * 0x100000001B3u;
    return static_cast<size_t>(h ^ (h >> 29));
}

}  // namespace

uint32_t xml_node_store::name_number(std::string_view name) {
    if (name.empty()) return 0;
    // Most tags repeat a name seen a moment ago: one compare finds it.
    uint32_t& recent = recent_names_[(static_cast<unsigned char>(name[0]) + name.size() * 7) &
                                     (recent_names_.size() - 1)];
    if (recent && names_[recent] == name) return recent;
    recent = indexed_name_number(name);
    return recent;
}

uint32_t xml_node_store::indexed_name_number(std::string_view name) {
    if (names_.size() * 2 >= name_slots_.size()) {
        // Grown to keep the index at most half full.
        name_slots_.assign(std::max<size_t>(64, name_slots_.size() * 2), 0);
        const size_t mask = name_slots_.size() - 1;
        for (uint32_t n = 1; n < names_.size(); ++n) {
            size_t i = name_hash(names_[n]) & mask;
            while (name_slots_[i]) i = (i + 1) & mask;
            name_slots_[i] = n;
        }
    }
    const size_t mask = name_slots_.size() - 1;
    for (size_t i = name_hash(name) & mask;; i = (i + 1) & mask) {
        const uint32_t n = name_slots_[i];
        if (n == 0) {
            name_slots_[i] = static_cast<uint32_t>(names_.size());
            names_.push_back(name);
            return name_slots_[i];
        }
        if (names_[n] == name) return n;
    }
}

xml_name& xml_name::operator=(std::string_view name) {
    number_ = xml_link::header_of(this)->store->name_number(name);
    return *this;
}

std::string_view xml_name::view() const {
    return number_ ? xml_link::header_of(this)->store->name(number_) : std::string_view();
}
