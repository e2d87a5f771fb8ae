// name_table: element names, each held once, by number from 1 (0: none).
// A page has a few dozen names and a tag every dozen bytes: a name repeated
// a moment ago is found with one compare, others through an open-addressed
// index.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

class name_table {
  public:
    // At most limit names, when given: then the table never moves, so that
    // another thread may read the names handed over to it while more come.
    explicit name_table(uint32_t limit = 0);

    // The number of name, added when new with the bytes keep(name) gives
    // (which must live as long as the table); 0 for the empty name, and
    // for a new one once the table holds limit names.
    template <class Keep>
    uint32_t number(std::string_view name, Keep keep) {
        if (name.empty()) return 0;
        uint32_t& recent =
            recent_[(static_cast<unsigned char>(name[0]) + name.size() * 7) % recent_.size()];
        if (recent && names_[recent] == name) return recent;
        size_t slot = 0;
        uint32_t found = find(name, slot);
        if (!found && (limit_ == 0 || names_.size() <= limit_)) found = add(keep(name), slot);
        recent = found;
        return found;
    }
    std::string_view name(uint32_t number) const { return names_[number]; }

  private:
    // The number of name, or 0 with the free slot it would take.
    uint32_t find(std::string_view name, size_t& slot);
    uint32_t add(std::string_view name, size_t slot);

    uint32_t limit_;
    std::vector<std::string_view> names_{std::string_view()};
    std::vector<uint32_t> slots_;  // numbers, 0: free; at most half full
    std::array<uint32_t, 64> recent_{};
};
