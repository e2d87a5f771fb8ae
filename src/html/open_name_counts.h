// open_name_counts: how many open elements on the HTML reader's way up carry
// each name. A small open-addressing table: documents use a few dozen
// distinct names, and every start and end tag asks it once.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

class open_name_counts {
  public:
    open_name_counts() : slots_(64) {}

    void increment(std::string_view name) { ++find_slot(name).count; }
    // Never below 0.
    void decrement(std::string_view name) {
        slot& s = find_slot(name);
        if (s.count > 0) --s.count;
    }
    int32_t count(std::string_view name) { return find_slot(name).count; }

  private:
    struct slot {
        std::string_view name;
        int32_t count = 0;
        bool used = false;
    };

    static size_t hash(std::string_view name) {
        uint64_t h = name.size() * 0x9E3779B97F4A7C15ull;
        for (char c : name) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
        return static_cast<size_t>(h ^ (h >> 29));
    }
    // The slot of name, taken (with count 0) when it was not there.
    slot& find_slot(std::string_view name) {
        size_t mask = slots_.size() - 1;
        for (size_t i = hash(name) & mask;; i = (i + 1) & mask) {
            slot& s = slots_[i];
            if (s.used && s.name == name) return s;
            if (!s.used) {
                if (2 * (used_ + 1) > slots_.size()) {
                    grow();
                    return find_slot(name);
                }
                s.used = true;
                s.name = name;
                ++used_;
                return s;
            }
        }
    }
    void grow() {
        std::vector<slot> old(slots_.size() * 2);
        old.swap(slots_);
        used_ = 0;
        for (const slot& s : old)
            if (s.used) find_slot(s.name).count = s.count;
    }

    std::vector<slot> slots_;
    size_t used_ = 0;
};
