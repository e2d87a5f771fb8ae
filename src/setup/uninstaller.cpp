#include "setup/uninstaller.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/product_title.h"
#include "files/atomic_file.h"
#include "files/vtfile.h"
#include "setup/desktop_entry.h"
#include "setup/desktop_menu.h"
#include "setup/mime_default.h"
#include "setup/setup_distribution.h"
#include "setup/setup_text.h"

namespace {

std::vector<std::string> split_lines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        if (end != 0) lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

std::string_view base_name(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string folder_of(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

bool plain_name(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

// A name the installer can have copied: a plain name, or a plain name inside
// one of the distribution's folders.
bool installed_name(std::string_view name) {
    size_t slash = name.find('/');
    if (slash == std::string_view::npos) return plain_name(name);
    const auto& folders = setup_distribution::folders();
    return std::find(folders.begin(), folders.end(), name.substr(0, slash)) != folders.end() &&
           plain_name(name.substr(slash + 1));
}

bool absolute(std::string_view path) {
    return path.size() > 1 && path[0] == '/' && path.find("/../") == std::string_view::npos &&
           !path.ends_with("/..");
}

}  // namespace

bool uninstaller::load() {
    vthash values;
    for (std::string_view name :
         {setup_text::inst_dir, setup_text::icon_dir, setup_text::desktop_icon, setup_text::files,
          setup_text::created_dirs, setup_text::shell_entry, setup_text::menu_directory,
          setup_text::menu_entries, setup_text::mime_pin, setup_text::mime_list}) {
        values.set(vtval(name), vtval(""));
    }
    if (!store_.read_values(reg_root::hklm, setup_text::program_key, values)) {
        message_ = store_.error().empty() ? std::string(kProductTitle) + " is not installed."
                                          : store_.error();
        return false;
    }
    inst_dir_ = std::string(values.find(setup_text::inst_dir)->text());
    if (!absolute(inst_dir_)) inst_dir_.clear();
    if (!inst_dir_.empty() && inst_dir_.back() != '/') inst_dir_ += '/';
    icon_dir_ = std::string(values.find(setup_text::icon_dir)->text());
    desktop_icon_ = std::string(values.find(setup_text::desktop_icon)->text());
    shell_entry_ = std::string(values.find(setup_text::shell_entry)->text());
    menu_directory_ = std::string(values.find(setup_text::menu_directory)->text());
    mime_pin_ = std::string(values.find(setup_text::mime_pin)->text());
    mime_list_ = std::string(values.find(setup_text::mime_list)->text());
    menu_entries_ = split_lines(values.find(setup_text::menu_entries)->text());
    files_ = split_lines(values.find(setup_text::files)->text());
    created_dirs_ = split_lines(values.find(setup_text::created_dirs)->text());
    return true;
}

void uninstaller::remove_file(const std::string& path) {
    if (unlink(path.c_str()) != 0 && errno != ENOENT && errno != ENOTDIR && message_.empty()) {
        message_ = "Can't remove " + path;
    }
}

// Removes a folder when it is empty; one that holds other files is kept,
// and listed when report is set.
void uninstaller::remove_folder(const std::string& path, bool report) {
    if (rmdir(path.c_str()) == 0 || errno == ENOENT || !report) return;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
        std::find(kept_.begin(), kept_.end(), path) == kept_.end()) {
        kept_.push_back(path);
    }
}

void uninstaller::remove_key(reg_root root, std::string_view key) {
    if (!store_.delete_key(root, key) && !store_.error().empty() && message_.empty()) {
        message_ = store_.error();
    }
}

void uninstaller::remove_program_files() {
    if (inst_dir_.empty()) return;
    for (const std::string& name : files_) {
        if (installed_name(name)) remove_file(inst_dir_ + name);
    }
    for (std::string_view folder : setup_distribution::folders()) {
        remove_folder(inst_dir_ + std::string(folder), true);
    }
    remove_folder(inst_dir_.substr(0, inst_dir_.size() - 1), true);
}

// Removes path when it is absolute and its file has one of the names given.
void uninstaller::remove_named(const std::string& path,
                               std::initializer_list<std::string_view> names) {
    if (!absolute(path)) return;
    for (std::string_view name : names) {
        if (base_name(path) == name) {
            remove_file(path);
            return;
        }
    }
}

void uninstaller::remove_entries() {
    remove_named(icon_dir_, {setup_text::menu_file});
    remove_named(menu_directory_, {setup_text::menu_directory_file});
    for (const std::string& entry : menu_entries_) {
        remove_named(entry, {setup_text::program_entry, setup_text::help_entry,
                             setup_text::uninstall_entry});
        refresh_.insert(folder_of(entry));
    }
    remove_named(desktop_icon_, {desktop_entry_path(setup_text::program_link)});
    remove_named(shell_entry_, {setup_text::shell_entry_file});
    if (absolute(shell_entry_)) refresh_.insert(folder_of(shell_entry_));
}

// The default the installer wrote down for HTML pages goes again, while the
// line is still as it wrote it; the user's own changes stay.
void uninstaller::remove_mime_pin() {
    if (mime_pin_.empty() || mime_list_ != user_mimeapps_list()) return;
    vtstring text;
    if (!vtfile_read_all(mime_list_, text)) return;
    bool removed = false;
    const std::string left = without_default(text.view(), mime_pin_, removed);
    if (!removed) return;
    // A file that held nothing else (the installer made it) goes whole.
    const bool empty = left.find_first_not_of("\n") == std::string::npos;
    if (empty ? vtfile_delete(mime_list_) : vtfile_write_atomic(mime_list_, left)) return;
    if (message_.empty()) message_ = "Can't remove " + mime_pin_ + " from " + mime_list_;
}

bool uninstaller::run() {
    message_.clear();
    kept_.clear();
    refresh_.clear();
    remove_program_files();
    remove_entries();
    remove_mime_pin();
    // "Open With" lists forget the entries; an emptied folder loses its cache.
    for (const std::string& folder : refresh_) refresh_desktop_database(folder);
    // Deepest first, so that a parent is empty by the time it comes.
    std::sort(created_dirs_.begin(), created_dirs_.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& folder : created_dirs_) {
        if (absolute(folder)) remove_folder(folder, false);
    }
    remove_key(reg_root::hkcr, std::string(setup_text::html_type) + "\\shell\\" +
                                   std::string(setup_text::shell_verb));
    remove_key(reg_root::hklm, setup_text::uninstall_key);
    remove_key(reg_root::hklm, setup_text::program_key);
    return message_.empty();
}
