// registry_store: the persistent key/value store that stands in for the
// Windows registry.
//
// One file per root ("HKLM", "HKCU", "HKCR") in one folder, by default
// $XDG_CONFIG_HOME/VELT/registry (~/.config/VELT/registry). Every operation
// reads the file afresh and writes it atomically, so a failed write leaves
// the store as it was. A file that is not in the store's format is never
// overwritten: the operation fails and error() says which file and line.
#pragma once

#include <string>
#include <string_view>

#include "core/vthash.h"
#include "setup/registry_file.h"

enum class reg_root { hklm, hkcu, hkcr };

class registry_store {
  public:
    explicit registry_store(std::string folder);

    // $XDG_CONFIG_HOME/VELT/registry, else $HOME/.config/VELT/registry;
    // empty when neither variable is set.
    static std::string default_folder();

    // Fills the value of every name present in values: text stays text,
    // integer becomes an integer, bytes a text of the bytes; a name without a
    // value gets the empty text. False when the key does not exist or the
    // store cannot be read.
    bool read_values(reg_root root, std::string_view key, vthash& values);
    // Stores every entry: text as text, booleans and integers as integers,
    // reals as their 8 bytes. False when the key does not exist or the store
    // cannot be written.
    bool write_values(reg_root root, std::string_view key, const vthash& values);
    // Creates the key (and missing parents); an existing key is fine.
    bool create_key(reg_root root, std::string_view key);
    bool key_exists(reg_root root, std::string_view key);
    // Removes the key with its subkeys and every parent left empty. A root
    // left without keys loses its file, and the store folder goes when it is
    // empty. False when the key does not exist or the store cannot be
    // written.
    bool delete_key(reg_root root, std::string_view key);

    // Why the last operation failed: empty when a key was merely missing,
    // else a sentence naming the file.
    const std::string& error() const { return error_; }
    // The file of one root.
    std::string file_path(reg_root root) const;

  private:
    bool load(reg_root root, registry_file& file);
    bool save(reg_root root, const registry_file& file);
    bool make_folder();
    void remove_empty_folders();

    std::string folder_;
    std::string error_;
};
