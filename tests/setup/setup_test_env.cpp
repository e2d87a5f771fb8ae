#include "setup_test_env.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/run_program.h"

namespace {

const char* const variables[] = {"HOME",
                                 "XDG_CONFIG_HOME",
                                 "XDG_DATA_HOME",
                                 "XDG_RUNTIME_DIR",
                                 "XDG_CACHE_HOME",
                                 "XDG_DATA_DIRS",
                                 "XDG_CONFIG_DIRS",
                                 "XDG_CURRENT_DESKTOP",
                                 "PATH"};

void remove_tree(const std::string& path) {
    std::string command = "rm -rf '" + path + "'";
    if (std::system(command.c_str()) != 0) std::perror("rm");
}

// Walks the tree below base in name order, calling visit with each relative
// path and whether it is a folder.
template <class Visit>
void walk(const std::string& base, const std::string& relative, Visit visit) {
    std::string folder = relative.empty() ? base : base + "/" + relative;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::string path = relative.empty() ? name : relative + "/" + name;
        struct stat info {};
        lstat((base + "/" + path).c_str(), &info);
        visit(path, S_ISDIR(info.st_mode));
        if (S_ISDIR(info.st_mode)) walk(base, path, visit);
    }
}

}  // namespace

setup_test_env::setup_test_env() {
    char pattern[] = "/tmp/orvane-setup-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp");
    root_ = pattern;
    for (const char* name : variables) {
        if (const char* value = std::getenv(name)) {
            saved_[name] = value;
        } else {
            unset_.emplace_back(name);
        }
    }
    make_folder(home());
    make_folder(config());
    make_folder(home() + "/.local");
    make_folder(data());
    make_folder(applications());
    make_folder(desktop());
    make_folder(root_ + "/runtime");
    chmod((root_ + "/runtime").c_str(), 0700);
    setenv("HOME", home().c_str(), 1);
    setenv("XDG_CONFIG_HOME", config().c_str(), 1);
    setenv("XDG_DATA_HOME", data().c_str(), 1);
    setenv("XDG_CACHE_HOME", (root_ + "/cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root_ + "/runtime").c_str(), 1);
    make_folder(system_applications());
    make_folder(root_ + "/system-config");
    setenv("XDG_DATA_DIRS", (root_ + "/system").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (root_ + "/system-config").c_str(), 1);
    unsetenv("XDG_CURRENT_DESKTOP");
    write_text(system_applications() + "/test-browser.desktop",
               "[Desktop Entry]\nType=Application\nName=Browser\nExec=true %u\n"
               "MimeType=text/html;\n");
    write_text(system_applications() + "/mimeinfo.cache",
               "[MIME Cache]\ntext/html=test-browser.desktop;\n");
}

void setup_test_env::remove_browser() {
    std::remove((system_applications() + "/test-browser.desktop").c_str());
    std::remove((system_applications() + "/mimeinfo.cache").c_str());
}

setup_test_env::~setup_test_env() {
    for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
    for (const std::string& name : unset_) unsetenv(name.c_str());
    remove_tree(root_);
}

std::string snapshot(const std::string& folder) {
    std::string out;
    walk(folder, "", [&](const std::string& path, bool is_folder) {
        out += is_folder ? path + " d\n" : path + " f:" + read_text(folder + "/" + path) + "\n";
    });
    return out;
}

std::set<std::string> tree_paths(const std::string& folder) {
    std::set<std::string> paths;
    walk(folder, "", [&](const std::string& path, bool) { paths.insert(path); });
    return paths;
}

bool exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void write_text(const std::string& path, std::string_view text, unsigned mode) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    chmod(path.c_str(), mode);
}

void make_folder(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    mkdir(path.c_str(), 0755);
}

void setup_test_env::put_first_on_path(const std::string& folder) {
    const char* path = std::getenv("PATH");
    setenv("PATH", (folder + (path ? ":" + std::string(path) : std::string())).c_str(), 1);
}

void make_fake_distribution(const std::string& folder) {
    make_folder(folder);
    write_text(folder + "/setup", "#!/bin/sh\necho program \"$@\"\n", 0755);
    write_text(folder + "/vorn1-desktop", "#!/bin/sh\necho window \"$@\"\n", 0755);
    write_text(folder + "/remove", "#!/bin/sh\necho remove\n", 0755);
    for (const char* name : {"readme.txt", "license.txt", "help.html", "brenit.gif", "logo.gif",
                             "vorn_set.txt", "orvane.png"}) {
        write_text(folder + "/" + name, std::string("contents of ") + name);
    }
    make_folder(folder + "/vtdata");
    write_text(folder + "/vtdata/templates.txt", "<templates/>");
    write_text(folder + "/vtdata/plain.html", "<ul></ul>");
    make_folder(folder + "/vtdata/nested");
    write_text(folder + "/vtdata/nested/skipped.txt", "not copied");
    make_folder(folder + "/help");
    write_text(folder + "/help/4.html", "<p>help</p>");
}

bool parse_exec(std::string_view value, const std::string& file, std::vector<std::string>& args) {
    std::string line;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            line += value[i];
            continue;
        }
        if (++i == value.size()) return false;
        switch (value[i]) {
            case 's':
                line += ' ';
                break;
            case 'n':
                line += '\n';
                break;
            case 't':
                line += '\t';
                break;
            case 'r':
                line += '\r';
                break;
            case '\\':
                line += '\\';
                break;
            default:
                return false;
        }
    }
    args.clear();
    std::string current;
    bool in_argument = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == ' ') {
            if (in_argument) args.push_back(current);
            current.clear();
            in_argument = false;
        } else if (c == '"' && !in_argument) {
            in_argument = true;
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\') {
                    if (++i == line.size() ||
                        std::string_view("\"`$\\").find(line[i]) == std::string_view::npos) {
                        return false;
                    }
                } else if (line[i] == '%') {
                    if (++i == line.size() || line[i] != '%') return false;
                }
                current += line[i];
            }
            if (i == line.size()) return false;
        } else if (c == '%') {
            if (++i == line.size()) return false;
            if (line[i] == '%') {
                current += '%';
            } else if (line[i] == 'f' && !in_argument) {
                current += file;
            } else {
                return false;
            }
            in_argument = true;
        } else if (std::string_view("\t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos) {
            return false;  // reserved bytes must be quoted
        } else {
            current += c;
            in_argument = true;
        }
    }
    if (in_argument) args.push_back(current);
    return !args.empty();
}

std::string entry_value(const std::string& path, std::string_view key) {
    std::istringstream lines(read_text(path));
    std::string line;
    std::string prefix = std::string(key) + "=";
    while (std::getline(lines, line)) {
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    }
    return {};
}

int run_program(const std::vector<std::string>& args, const std::string& folder,
                std::string& output) {
    child_options options;
    options.cwd = folder;
    options.batch = false;
    options.merge_output = true;
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    program_result r = run_child(args.front(), rest, options);
    output = std::move(r.out);
    return r.status;
}
