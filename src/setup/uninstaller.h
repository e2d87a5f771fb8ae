// uninstaller: takes away what the installer recorded, and nothing else.
//
// Only the files the installer copied are deleted, only folders it made are
// removed, and those only when empty: a file the user put into the
// installation folder stays, and so does the folder that holds it. Entries
// in the store that do not look like the installer's own (a path outside the
// installation folder, an entry of another name) are left alone.
#pragma once

#include <initializer_list>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "setup/registry_store.h"

class uninstaller {
  public:
    explicit uninstaller(registry_store& store) : store_(store) {}

    // Reads the installation's record. False when there is none or the
    // store cannot be read; message() says which.
    bool load();
    // Removes the installation. False when something of ours could not be
    // removed; message() names it. Folders kept because they hold the
    // user's files are listed in kept().
    bool run();

    const std::string& install_folder() const { return inst_dir_; }
    const std::string& message() const { return message_; }
    const std::vector<std::string>& kept() const { return kept_; }

  private:
    void remove_file(const std::string& path);
    void remove_folder(const std::string& path, bool report);
    void remove_key(reg_root root, std::string_view key);
    void remove_program_files();
    void remove_named(const std::string& path, std::initializer_list<std::string_view> names);
    void remove_entries();
    void remove_mime_pin();

    registry_store& store_;
    std::string inst_dir_;
    std::string icon_dir_;
    std::string desktop_icon_;
    std::string shell_entry_;
    std::string menu_directory_;
    std::string mime_pin_;
    std::string mime_list_;
    std::vector<std::string> menu_entries_;
    std::set<std::string> refresh_;  // applications folders whose entries changed
    std::vector<std::string> files_;
    std::vector<std::string> created_dirs_;
    std::vector<std::string> kept_;
    std::string message_;
};
