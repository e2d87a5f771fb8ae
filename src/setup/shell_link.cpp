#include "setup/shell_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include "setup/desktop_entry.h"

namespace {

bool is_program(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool create_shortcut(const shortcut_desc& link) {
    std::string path = desktop_entry_path(link.link_path);
    desktop_entry entry;
    size_t slash = path.rfind('/');
    entry.name = link.name;
    if (entry.name.empty()) {
        entry.name = path.substr(slash == std::string::npos ? 0 : slash + 1);
        entry.name.resize(entry.name.size() - 8);
    }
    if (!is_program(link.target)) entry.command.emplace_back("xdg-open");
    entry.command.push_back(link.target);
    if (!link.arguments.empty()) entry.command.push_back(link.arguments);
    entry.working_folder = link.working_folder;
    entry.icon = link.icon_file;
    entry.categories = link.categories;
    entry.startup_wm_class = link.window_class;
    return entry.save(path);
}
