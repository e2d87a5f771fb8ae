// vthash: a map from value to value, ordered by the bytes of the keys' text
// forms (case-sensitive; a prefix sorts first; the empty key first of all).
//
// A repeated key replaces the value. The integer key 5 and the string key "5"
// are the same key. Lookups are logarithmic.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "core/vtval.h"

class vthash {
  public:
    struct entry {
        vtval key;
        vtval value;
    };

    // Inserts, or replaces the value of an existing key.
    void set(const vtval& key, const vtval& value);
    // Copy of the value and true; when absent out becomes the integer 0 and
    // the result is false.
    bool get(const vtval& key, vtval& out) const;
    bool contains(const vtval& key) const;
    // The value stored under key, or none.
    const vtval* find(std::string_view key) const;

    // Ascending listing: start it, then take pairs until next returns false.
    // Inserting a new key discards the listing.
    void start_listing();
    bool next(vtval& key_out, vtval& value_out);

    int32_t count() const { return static_cast<int32_t>(entries_.size()); }
    void clear();

    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

  private:
    using map_type = std::map<std::string, entry, std::less<>>;
    map_type entries_;
    map_type::const_iterator listing_ = entries_.end();
    bool listing_valid_ = false;
};
