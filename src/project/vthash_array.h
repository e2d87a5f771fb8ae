// vthash_array: the settings map of tagged settings files.
//
// Keys in byte order (as vthash); each key holds a list of values in the
// order they were added. Files hold one `<key>value</key>` line per value.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/vtarr.h"
#include "core/vtstring.h"
#include "core/vtval.h"

struct vthash_arrays_entry {
    vtval key;
    vtarr values;
    // When each value was added, counted over the whole map.
    std::vector<uint64_t> added;
};

class vthash_array {
  public:
    // Appends a value to a key's list, creating the key when missing.
    void add(std::string_view key, const vtval& value);
    // Copies the key's first value into out and returns true; when the key is
    // missing or has no values, out becomes the empty text and the result is
    // false.
    bool get_first(std::string_view key, vtval& out) const;
    // The key's values in stored order, or none.
    const vtarr* get_all(std::string_view key) const;
    // Puts a list under a key, replacing the list the key held.
    void set_list(std::string_view key, const vtarr& values);
    bool contains(std::string_view key) const { return entries_.count(std::string(key)) != 0; }
    int32_t count() const { return static_cast<int32_t>(entries_.size()); }
    void clear() {
        entries_.clear();
        together_.clear();
    }

    // The values of keys a and b in the order they were added (a read adds
    // them in file order), each with its key: one list kept under two keys.
    std::vector<std::pair<std::string_view, const vtval*>> values_in_order(
        std::string_view a, std::string_view b) const;
    // Has the values of a and b written as one run, in the order they were
    // added, where the first of the two keys stands.
    void write_together(std::string_view a, std::string_view b);

    // Judges a settings file once it is open, before a byte is read, from its
    // descriptor: an empty text lets the read go on, any other is its error.
    using file_check = std::function<vtstring(int descriptor)>;

    // Reads a settings file. On failure returns false and sets error: "Can't
    // open file " + name, the text of check when it refused the file, or the
    // tagged reader's report with line and column.
    bool read(std::string_view file_name, vtstring& error, const file_check& check = {});
    // Writes every key in ascending order, one CR LF ended line per value,
    // values escaped. The file is replaced whole or left untouched; false when
    // it cannot be written.
    bool write(std::string_view file_name) const;
    // The file's bytes as write() produces them.
    vtstring serialize() const;
    // Fills the map from the bytes of a settings file (pieces of 8,092 bytes).
    bool parse(std::string_view bytes, vtstring& error);

    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

  private:
    // Adds the key's values to out, with those of a key written together
    // with it.
    void serialize_key(const std::string& key, const vthash_arrays_entry& entry,
                       vtstring& out) const;

    std::map<std::string, vthash_arrays_entry, std::less<>> entries_;
    std::vector<std::pair<std::string, std::string>> together_;
    uint64_t added_ = 0;
};
