// A throw-away home for installer tests: HOME, the XDG folders and the
// runtime folder all point into a fresh temporary folder, never at the real
// ones, and the environment (PATH included) is restored afterwards. The
// system's data and configuration folders are stand-ins too: a desktop with
// one web browser for HTML pages ("test-browser.desktop") and no default
// configured.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class setup_test_env {
  public:
    setup_test_env();
    ~setup_test_env();
    setup_test_env(const setup_test_env&) = delete;
    setup_test_env& operator=(const setup_test_env&) = delete;

    // The temporary folder; home() and runtime() lie inside it.
    const std::string& root() const { return root_; }
    std::string home() const { return root_ + "/home"; }
    std::string config() const { return home() + "/.config"; }
    std::string data() const { return home() + "/.local/share"; }
    std::string applications() const { return data() + "/applications"; }
    std::string desktop() const { return home() + "/Desktop"; }
    std::string registry() const { return config() + "/VELT/registry"; }
    std::string system_applications() const { return root_ + "/system/applications"; }
    // No program for HTML pages on the system at all.
    void remove_browser();
    // Programs in folder are found before the system's (PATH is restored
    // with the rest of the environment).
    void put_first_on_path(const std::string& folder);

  private:
    std::string root_;
    std::map<std::string, std::string> saved_;
    std::vector<std::string> unset_;
};

// Every entry below folder: relative path, then "d" for a folder or
// "f:" and the bytes for a file, one line each, in name order.
std::string snapshot(const std::string& folder);
// The relative paths of every entry below folder.
std::set<std::string> tree_paths(const std::string& folder);
bool exists(const std::string& path);
std::string read_text(const std::string& path);
void write_text(const std::string& path, std::string_view text, unsigned mode = 0644);
// Makes path and every missing folder above it.
void make_folder(const std::string& path);

// A distribution folder with small stand-in files: "setup" and "remove" are
// shell scripts, the folders hold two and one file.
void make_fake_distribution(const std::string& folder);

// The arguments of an Exec value as a launcher reads it (string escapes
// first, then the quoting rules; "%%" is "%", and field codes are replaced
// by file). False when the value breaks the rules.
bool parse_exec(std::string_view value, const std::string& file, std::vector<std::string>& args);
// The value of key in a desktop entry file ("" when absent).
std::string entry_value(const std::string& path, std::string_view key);

// Runs a program with arguments in folder; returns its exit status and
// fills output with what it wrote on standard output and error.
int run_program(const std::vector<std::string>& args, const std::string& folder,
                std::string& output);
