#include "setup/shell_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

bool is_folder(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The first line xdg-user-dir prints, or empty when it cannot be run.
std::string ask_xdg_user_dir() {
    FILE* pipe = popen("xdg-user-dir DESKTOP 2>/dev/null", "r");
    if (pipe == nullptr) return {};
    std::string line;
    char chunk[512];
    while (fgets(chunk, sizeof chunk, pipe) != nullptr) line += chunk;
    pclose(pipe);
    size_t end = line.find('\n');
    if (end != std::string::npos) line.resize(end);
    return line;
}

}  // namespace

bool data_home_folder(std::string& folder) {
    folder = environment("XDG_DATA_HOME");
    if (!folder.empty() && folder[0] == '/') return true;
    std::string home = environment("HOME");
    if (home.empty()) return false;
    folder = home + "/.local/share";
    return true;
}

bool config_home_folder(std::string& folder) {
    folder = environment("XDG_CONFIG_HOME");
    if (!folder.empty() && folder[0] == '/') return true;
    std::string home = environment("HOME");
    if (home.empty()) return false;
    folder = home + "/.config";
    return true;
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
    return is_folder(folder);
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
