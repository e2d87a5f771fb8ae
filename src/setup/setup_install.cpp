#include "setup/setup_install.h"

#include <sys/stat.h>

#include <algorithm>

#include "core/own_entries.h"
#include "core/product_title.h"
#include "files/atomic_file.h"
#include "files/vtfile.h"
#include "setup/desktop_entry.h"
#include "setup/desktop_menu.h"
#include "setup/mime_default.h"
#include "setup/setup_text.h"
#include "setup/shell_folders.h"
#include "setup/shell_link.h"

namespace {

bool is_folder(const std::string& path) {
    vtfile_node info;
    return vtfile_info(path, info) && info.is_directory != 0;
}

bool exists(const std::string& path) {
    vtfile_node info;
    return vtfile_info(path, info);
}

std::string with_slash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

// Adds the lines of text that list does not hold yet.
void merge_lines(std::vector<std::string>& list, std::string_view text) {
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string line(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && std::find(list.begin(), list.end(), line) == list.end()) {
            list.push_back(std::move(line));
        }
    }
}

std::string join_lines(const std::vector<std::string>& list) {
    std::string text;
    for (const std::string& line : list) text += line + "\n";
    return text;
}

// The installer's own program becomes the program under its proper name.
void rename_program(const std::string& target) {
    std::string program = target + std::string(setup_text::program);
    vtfile_delete(program);
    vtfile_move(target + std::string(setup_text::setup_program), program);
}

}  // namespace

bool setup_install::fail(std::string_view message, std::string detail) {
    message_ = std::string(message);
    detail_ = std::move(detail);
    return false;
}

void setup_install::advance(int amount) {
    total_ = std::min(100, total_ + amount);
    if (progress_) progress_(total_);
}

bool setup_install::check_space(const std::string& install_folder) {
    vtstring deepest;
    vtval free_bytes;
    if (!vtfile_deepest_folder(install_folder, deepest) ||
        !vtfile_free_space(deepest, free_bytes)) {
        return fail(setup_text::drive_info);
    }
    if (free_bytes.to_real() < static_cast<double>(distribution_.required_size())) {
        return fail(setup_text::no_space);
    }
    return true;
}

// Creates every missing level of path, remembering the ones made.
bool setup_install::make_folders(const std::string& path) {
    for (size_t cut = 1; cut <= path.size(); ++cut) {
        if (cut < path.size() && path[cut] != '/') continue;
        std::string level = path.substr(0, cut);
        if (level.back() == '/' || exists(level)) continue;
        if (!vtfile_create_folder(level)) return is_folder(path);
        created_.push_back(level);
    }
    return is_folder(path);
}

bool setup_install::write_program_values(
    const std::vector<std::pair<std::string_view, std::string>>& values) {
    vthash map;
    for (const auto& [name, value] : values) map.set(vtval(name), vtval(std::string_view(value)));
    if (!store_.write_values(reg_root::hklm, setup_text::program_key, map)) {
        return fail(setup_text::registry_write, store_.error());
    }
    return true;
}

bool setup_install::copy_files(const std::string& target) {
    const double required =
        static_cast<double>(std::max<int64_t>(1, distribution_.required_size()));
    bool renamed = false;
    for (const setup_distribution::item& item : distribution_.items()) {
        size_t slash = item.name.find('/');
        if (slash != std::string::npos) {
            if (!renamed) rename_program(target);
            renamed = true;
            std::string folder = target + item.name.substr(0, slash);
            if (!vtfile_create_folder(folder) && !is_folder(folder)) {
                return fail(setup_text::no_subfolder);
            }
        }
        if (!vtfile_copy(distribution_.folder() + item.name, target + item.name, true)) {
            return fail(setup_text::no_copy);
        }
        advance(static_cast<int>(static_cast<double>(item.size) / required * 84.0));
    }
    if (!renamed) rename_program(target);
    return true;
}

// A shortcut to target that starts in folder, with the program's icon when
// with_icon is set and the icon was installed.
shortcut_desc setup_install::link_to(const std::string& link, const std::string& target,
                                     const std::string& folder, bool with_icon) const {
    shortcut_desc desc;
    desc.link_path = link;
    desc.target = target;
    desc.working_folder = folder;
    std::string icon = folder + std::string(setup_text::icon_image);
    if (with_icon && exists(icon)) desc.icon_file = icon;
    return desc;
}

// An entry of the submenu, shown as name.
bool setup_install::make_menu_entry(std::string_view file, std::string_view name,
                                    const std::string& target, const std::string& folder,
                                    bool program) {
    shortcut_desc desc = link_to(applications_ + "/" + std::string(file), target, folder, program);
    desc.name = std::string(name);
    desc.categories = std::string(setup_text::menu_categories);
    if (program) desc.window_class = std::string(setup_text::window_class);
    return create_shortcut(desc);
}

// The "VELT Orvane" submenu: its directory file and merged menu file (both
// recorded for the uninstaller, with the entries to come), then the
// program's entry in it.
bool setup_install::make_menu(const std::string& target) {
    std::string data;
    std::string config;
    if (!programs_folder(applications_) || !data_home_folder(data) || !config_home_folder(config))
        return fail(setup_text::no_menu_link);
    const std::string directories = data + "/desktop-directories";
    const std::string merged = config + "/menus/applications-merged";
    if (!make_folders(applications_) || !make_folders(directories) || !make_folders(merged))
        return fail(setup_text::no_menu_link);
    const std::string directory_file =
        directories + "/" + std::string(setup_text::menu_directory_file);
    const std::string menu_file = merged + "/" + std::string(setup_text::menu_file);
    std::string entries;
    for (std::string_view entry :
         {setup_text::program_entry, setup_text::help_entry, setup_text::uninstall_entry})
        entries += applications_ + "/" + std::string(entry) + "\n";
    if (!write_program_values({{setup_text::icon_dir, menu_file},
                               {setup_text::menu_directory, directory_file},
                               {setup_text::menu_entries, entries}}))
        return false;
    const std::string icon = link_to({}, {}, target, true).icon_file;
    if (!vtfile_write_atomic(directory_file, directory_text(setup_text::menu_folder, icon)) ||
        !vtfile_write_atomic(menu_file, submenu_text(setup_text::menu_directory_file,
                                                     {std::string(setup_text::program_entry),
                                                      std::string(setup_text::help_entry),
                                                      std::string(setup_text::uninstall_entry)})) ||
        !make_menu_entry(setup_text::program_entry, setup_text::program_entry_name,
                         target + std::string(setup_text::program), target, true))
        return fail(setup_text::no_menu_link);
    return true;
}

// The desktop folder that xdg-user-dir names is made when it is missing (a
// fresh account has none until a desktop session makes it); what cannot be
// done is noted for the user.
void setup_install::make_desktop_icon(const std::string& target, bool wanted) {
    if (!wanted) return;
    std::string desktop;
    if (!desktop_folder(desktop)) {
        notes_.emplace_back(setup_text::no_desktop_folder);
        return;
    }
    if (!make_folders(desktop)) {
        notes_.push_back(std::string(setup_text::no_desktop_made) + desktop);
        return;
    }
    shortcut_desc desc = link_to(with_slash(desktop) + std::string(setup_text::program_link),
                                 target + std::string(setup_text::program), target, true);
    desc.window_class = std::string(setup_text::window_class);
    if (!create_shortcut(desc)) {
        notes_.push_back(std::string(setup_text::no_desktop_icon) + desktop);
        return;
    }
    // File managers start a launcher on the desktop only when it may be
    // executed.
    const std::string path = desktop_entry_path(desc.link_path);
    chmod(path.c_str(), 0755);
    write_program_values({{setup_text::desktop_icon, path}});
}

// The "Open With" entry for HTML files, and its record in the store under the
// HTML file type's shell command key. Installing never changes which program
// opens HTML pages: the one that did before stays (keep_html_default), and
// where none did the entry is left out, as it would become that program.
void setup_install::register_shell_entry(const std::string& target) {
    if (applications_.empty()) return;
    std::string path = applications_ + "/" + std::string(setup_text::shell_entry_file);
    // An earlier installation's entry is not the desktop's choice.
    if (exists(path)) {
        vtfile_delete(path);
        refresh_desktop_database(applications_);
    }
    bool known = false;
    const std::string before = mime_default(setup_text::html_type, known);
    if (!known || before.empty() || is_own_desktop_entry(before)) {
        notes_.emplace_back(setup_text::no_html_program);
        return;
    }
    desktop_entry entry;
    entry.name = std::string(setup_text::shell_verb);
    entry.command = {target + std::string(setup_text::program)};
    entry.field_code = "%f";
    entry.mime_types = "text/html;";
    entry.startup_wm_class = std::string(setup_text::window_class);
    entry.no_display = true;
    std::string icon = link_to({}, {}, target, true).icon_file;
    entry.icon = icon;
    if (!entry.save(path)) return;
    write_program_values({{setup_text::shell_entry, path}});
    refresh_desktop_database(applications_);
    keep_html_default(before);

    std::string key = std::string(setup_text::html_type) + "\\shell\\" +
                      std::string(setup_text::shell_verb) + "\\command";
    if (!store_.create_key(reg_root::hkcr, key)) return;
    vthash command;
    command.set(vtval(""), vtval(std::string_view(desktop_entry::quote_argument(entry.command[0]) +
                                                  " " + entry.field_code)));
    store_.write_values(reg_root::hkcr, key, command);
}

// Where the new entry took over as the program for HTML pages (the user
// never chose one, and the user's own folder is the desktop's first), the
// program before it is written down as the user's default, and recorded so
// that removal takes that line out again.
void setup_install::keep_html_default(const std::string& before) {
    bool known = false;
    if (mime_default(setup_text::html_type, known) == before) return;
    const std::string list = user_mimeapps_list();
    vtstring text;
    vtfile_read_all(list, text);
    bool added = false;
    const std::string pinned = with_default(text.view(), setup_text::html_type, before, added);
    if (!added || !vtfile_write_atomic(list, pinned)) return;
    write_program_values(
        {{setup_text::mime_pin, std::string(setup_text::html_type) + "=" + before + ";"},
         {setup_text::mime_list, list}});
}

// What the uninstaller removes: the files copied and the folders made, added
// to what an earlier installation recorded.
bool setup_install::record_manifest() {
    vthash old;
    old.set(vtval(setup_text::files), vtval(""));
    old.set(vtval(setup_text::created_dirs), vtval(""));
    store_.read_values(reg_root::hklm, setup_text::program_key, old);
    std::vector<std::string> files;
    merge_lines(files, old.find(setup_text::files)->text());
    for (const setup_distribution::item& item : distribution_.items()) {
        merge_lines(files, item.name == setup_text::setup_program ? std::string(setup_text::program)
                                                                  : item.name);
    }
    std::vector<std::string> folders;
    merge_lines(folders, old.find(setup_text::created_dirs)->text());
    for (const std::string& folder : created_) merge_lines(folders, folder);
    return write_program_values(
        {{setup_text::files, join_lines(files)}, {setup_text::created_dirs, join_lines(folders)}});
}

bool setup_install::run(setup_choices& choices, const progress_fn& progress) {
    progress_ = progress;
    total_ = 0;
    created_.clear();
    std::string& target = choices.install_folder;
    while (target.size() > 1 && target.back() == '/') target.pop_back();
    if (!make_folders(target)) return fail(setup_text::no_folder);
    advance(2);
    target = with_slash(target);

    for (std::string_view key : {setup_text::vendor_key, setup_text::program_key}) {
        if (!store_.create_key(reg_root::hklm, key)) {
            return fail(setup_text::registry_write, store_.error());
        }
    }
    advance(2);
    // What is about to be copied is recorded first, so that the uninstaller
    // finds every file even when copying stops halfway.
    if (!write_program_values({{setup_text::inst_dir, target}}) || !record_manifest()) return false;
    advance(1);

    if (!copy_files(target)) return false;
    if (!make_menu(target)) return false;
    advance(3);
    make_desktop_icon(target, choices.desktop_icon);
    advance(1);
    if (choices.shell_extension) register_shell_entry(target);
    advance(3);
    make_menu_entry(setup_text::help_entry, setup_text::help_entry_name,
                    target + std::string(setup_text::help_page), target, false);
    advance(2);
    make_menu_entry(setup_text::uninstall_entry, setup_text::uninstall_entry_name,
                    target + std::string(setup_text::uninstaller), target, false);
    advance(1);
    record_manifest();

    if (store_.create_key(reg_root::hklm, setup_text::uninstall_key)) {
        vthash values;
        values.set(vtval("DisplayName"), vtval(kProductTitle));
        values.set(vtval("UninstallString"),
                   vtval(std::string_view(target + std::string(setup_text::uninstaller))));
        store_.write_values(reg_root::hklm, setup_text::uninstall_key, values);
    }
    // "Open With" lists show the new entry at once.
    refresh_desktop_database(applications_);
    total_ = 100;
    if (progress_) progress_(100);
    return true;
}
