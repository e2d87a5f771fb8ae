// registry_file: the contents of one root of the registry store as text.
//
// The store keeps what the installer records the way the Windows registry
// would: keys named by backslash-separated paths (letter case ignored), each
// holding named values that keep their type: text, 32-bit integer or raw
// bytes. The default value of a key has the empty name. The text form is
// line based and meant to be readable:
//
//   ; comment
//   [Software\VELT\ORV1]
//   "inst_dir"=text:"/opt/VELT/ORV1/"
//   "count"=int:12
//   @=bin:00ff10
//
// Names and texts are quoted with the escapes \\ \" \n \r \t and \xHH (bytes
// below 0x20 and 0x7f); other bytes stand as they are. Every key's ancestors
// are keys of their own, so empty parents can be told from missing ones.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class reg_kind { text, integer, binary };

struct reg_value {
    std::string name;
    reg_kind kind = reg_kind::text;
    // Text or raw bytes; unused for an integer.
    std::string bytes;
    int32_t number = 0;
};

struct reg_key {
    std::string path;
    std::vector<reg_value> values;

    // The value of that name (letter case ignored), or none.
    const reg_value* find(std::string_view name) const;
    // Inserts or replaces the value of value.name.
    void set(reg_value value);
};

class registry_file {
  public:
    // Replaces the contents with the parsed text. False on anything that is
    // not the format, with "line N: what" in error and the contents cleared.
    bool parse(std::string_view text, std::string& error);
    std::string serialize() const;

    // The key of that path (letter case ignored), or none.
    reg_key* find(std::string_view path);
    const reg_key* find(std::string_view path) const;
    // The key of that path, created with its missing ancestors. None when the
    // path is not a valid key path.
    reg_key* ensure(std::string_view path);
    // Removes the key with its subkeys, then every ancestor left without
    // values and subkeys. False when the key does not exist.
    bool erase_tree(std::string_view path);
    bool empty() const { return keys_.empty(); }

    // True for a path of non-empty components separated by single
    // backslashes, without control bytes.
    static bool valid_path(std::string_view path);

  private:
    bool has_subkeys(std::string_view path) const;

    std::vector<reg_key> keys_;
};
