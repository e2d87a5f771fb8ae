#include "setup/desktop_menu.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "setup/desktop_entry.h"

extern char** environ;

namespace {

// The name of a menu: its directory file's name up to the first dot.
std::string_view menu_name(std::string_view directory_id) {
    return directory_id.substr(0, directory_id.find('.'));
}

// Text for a menu file: the characters XML reserves written as references.
std::string xml_text(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// True when folder, or a folder below it, holds a desktop entry.
bool holds_entries(const std::string& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return false;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "/" + name;
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0) continue;
        if (S_ISDIR(info.st_mode) ? holds_entries(path) : ends_with(name, ".desktop")) return true;
    }
    return false;
}

// Runs a program found on PATH and waits for it; false when it cannot be run
// or fails.
bool run_quietly(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::string submenu_text(std::string_view directory_id, const std::vector<std::string>& entry_ids) {
    std::string out =
        "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
        "    \"http://www.freedesktop.org/standards/menu-spec/menu-1.0.dtd\">\n"
        "<Menu>\n"
        "    <Name>Applications</Name>\n"
        "    <Menu>\n";
    out += "        <Name>" + xml_text(menu_name(directory_id)) + "</Name>\n";
    out += "        <Directory>" + xml_text(directory_id) + "</Directory>\n";
    out += "        <Include>\n";
    for (const std::string& id : entry_ids)
        out += "            <Filename>" + xml_text(id) + "</Filename>\n";
    out += "        </Include>\n    </Menu>\n</Menu>\n";
    return out;
}

std::string directory_text(std::string_view name, std::string_view icon) {
    std::string out = "[Desktop Entry]\nType=Directory\nVersion=1.0\n";
    out += "Name=" + desktop_entry::escape_value(name) + "\n";
    if (!icon.empty()) out += "Icon=" + desktop_entry::escape_value(icon) + "\n";
    return out;
}

void refresh_desktop_database(const std::string& folder) {
    if (!holds_entries(folder)) {
        unlink((folder + "/mimeinfo.cache").c_str());
        return;
    }
    // Without the program the cache is refreshed at the desktop's next scan.
    run_quietly({"update-desktop-database", "-q", folder});
}
