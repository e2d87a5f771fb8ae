// setup_install: the installation itself, without any window.
//
// Copies a checked distribution into the installation folder, renames the
// program, records the installation in the registry store, and creates the
// menu entries, the optional desktop entry and the optional "Open With"
// entry for HTML files. Each failure that stops the installation leaves its
// message in message() (and the store's explanation, if any, in detail());
// steps already done stay done, and a later run repeats them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "setup/registry_store.h"
#include "setup/setup_distribution.h"
#include "setup/shell_link.h"

struct setup_choices {
    // Full path, with or without a trailing "/"; gets one once copying starts.
    std::string install_folder;
    bool desktop_icon = false;
    bool shell_extension = true;
};

class setup_install {
  public:
    // Called with the running total (0 to 100) after every step.
    using progress_fn = std::function<void(int)>;

    setup_install(registry_store& store, const setup_distribution& distribution)
        : store_(store), distribution_(distribution) {}

    // Free space on the deepest existing folder of the installation folder
    // against the required size. False with the message when it is too
    // small or cannot be taken.
    bool check_space(const std::string& install_folder);
    // Everything after the space check, in order. False with the message at
    // the first failure that stops it.
    bool run(setup_choices& choices, const progress_fn& progress);

    const std::string& message() const { return message_; }
    const std::string& detail() const { return detail_; }
    // What a finished installation left undone and why (no desktop icon, no
    // "Open With" entry), to tell the user; empty when nothing.
    const std::vector<std::string>& notes() const { return notes_; }

  private:
    bool fail(std::string_view message, std::string detail = {});
    void advance(int amount);
    bool make_folders(const std::string& path);
    bool write_program_values(const std::vector<std::pair<std::string_view, std::string>>& values);
    bool copy_files(const std::string& target);
    bool make_menu(const std::string& target);
    void make_desktop_icon(const std::string& target, bool wanted);
    void register_shell_entry(const std::string& target);
    void keep_html_default(const std::string& before);
    shortcut_desc link_to(const std::string& link, const std::string& target,
                          const std::string& folder, bool with_icon) const;
    bool make_menu_entry(std::string_view file, std::string_view name, const std::string& target,
                         const std::string& folder, bool program);
    bool record_manifest();

    registry_store& store_;
    const setup_distribution& distribution_;
    progress_fn progress_;
    int total_ = 0;
    std::string message_;
    std::string detail_;
    std::string applications_;  // where the menu entries go
    std::vector<std::string> created_;
    std::vector<std::string> notes_;
};
