#include "html/name_table.h"

#include <algorithm>
#include <bit>
#include <cstring>

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

name_table::name_table(uint32_t limit) : limit_(limit) {
    if (limit == 0) return;
    names_.reserve(size_t{limit} + 1);
    slots_.assign(std::bit_ceil(2 * size_t{limit} + 2), 0);
}

uint32_t name_table::find(std::string_view name, size_t& slot) {
    if (limit_ == 0 && names_.size() * 2 >= slots_.size()) {
        // Grown to keep the index at most half full.
        slots_.assign(std::max<size_t>(64, slots_.size() * 2), 0);
        const size_t mask = slots_.size() - 1;
        for (uint32_t n = 1; n < names_.size(); ++n) {
            size_t i = name_hash(names_[n]) & mask;
            while (slots_[i]) i = (i + 1) & mask;
            slots_[i] = n;
        }
    }
    const size_t mask = slots_.size() - 1;
    for (size_t i = name_hash(name) & mask;; i = (i + 1) & mask) {
        const uint32_t n = slots_[i];
        if (n == 0) {
            slot = i;
            return 0;
        }
        if (names_[n] == name) return n;
    }
}

uint32_t name_table::add(std::string_view name, size_t slot) {
    slots_[slot] = static_cast<uint32_t>(names_.size());
    names_.push_back(name);
    return slots_[slot];
}
