#include "setup/shell_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "setup/command_output.h"

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// The first line xdg-user-dir prints, or empty when it cannot be run.
std::string ask_xdg_user_dir() {
    std::string line = command_output("xdg-user-dir DESKTOP 2>/dev/null");
    size_t end = line.find('\n');
    if (end != std::string::npos) line.resize(end);
    return line;
}

// An XDG base folder: the variable when it holds an absolute path, else the
// home folder + fallback. False when neither is set.
bool base_folder(const char* variable, const char* fallback, std::string& folder) {
    folder = environment(variable);
    if (!folder.empty() && folder[0] == '/') return true;
    std::string home = environment("HOME");
    if (home.empty()) return false;
    folder = home + fallback;
    return true;
}

}  // namespace

bool data_home_folder(std::string& folder) {
    return base_folder("XDG_DATA_HOME", "/.local/share", folder);
}

bool config_home_folder(std::string& folder) {
    return base_folder("XDG_CONFIG_HOME", "/.config", folder);
}

bool programs_folder(std::string& folder) {
    if (!data_home_folder(folder)) return false;
    folder += "/applications";
    return true;
}

bool desktop_folder(std::string& folder) {
    folder = ask_xdg_user_dir();
    if (folder.empty() || folder[0] != '/') {
        std::string home = environment("HOME");
        if (home.empty()) return false;
        folder = home + "/Desktop";
    }
    return true;
}

bool program_files_folder(std::string& folder, bool as_root) {
    if (as_root) {
        folder = "/opt";
        return true;
    }
    return data_home_folder(folder);
}

bool program_files_folder(std::string& folder) {
    return program_files_folder(folder, geteuid() == 0);
}
