// A site of pages in a temporary folder that an unprivileged user can reach,
// with snapshots of every file for before/after comparisons, and a runner
// for the built program that can limit, drop privileges or kill it.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/lock_waiters.h"
#include "support/run_program.h"
#include "support/temp_folder.h"
#include "support/test_cache_home.h"

namespace reliability {

namespace fs = std::filesystem;

using snapshot = std::map<std::string, std::string>;  // relative path -> bytes

inline std::string read_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class site {
  public:
    site() { chmod(folder_.path().c_str(), 0755); }
    const std::string& path() const { return folder_.path(); }
    std::string file(const std::string& name) const { return folder_.path() + "/" + name; }

    void write(const std::string& name, const std::string& bytes) const {
        const fs::path p = file(name);
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const { return read_bytes(file(name)); }

    // A project file (keys in the order the tool writes them).
    void project(const std::vector<std::string>& sources, bool single,
                 const std::string& destination = "", const std::string& extra = "") const {
        std::string p = extra + "<process_numbering>0</process_numbering>\r\n<destination>" +
                        destination + "</destination>\r\n" +
                        "<is_dest_as_source>1</is_dest_as_source>\r\n<is_single>" +
                        (single ? "1" : "0") + "</is_single>\r\n";
        for (const std::string& s : sources) p += "<source>" + s + "</source>\r\n";
        p += "<template_file>toc.tpl</template_file>\r\n";
        write("project.txt", p);
        write("toc.tpl",
              "<ul>\r\n<!--#for var=\"item\"--><li><a href=\"<!--#echo var=\"link\"-->\"><!--#echo "
              "var=\"text\"--></a></li>\r\n<!--#endfor--></ul>\r\n");
    }

    // Every regular file under the folder, by relative path.
    snapshot files() const {
        snapshot all;
        for (const auto& e : fs::recursive_directory_iterator(path()))
            if (e.is_regular_file())
                all[fs::relative(e.path(), path()).string()] = read_bytes(e.path());
        return all;
    }
    // Copies every file of another site into this one.
    void copy_from(const site& other) const {
        fs::copy(other.path(), path(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }

  private:
    temp_folder folder_;
};

// Compares big byte strings without printing them: says where they part.
inline ::testing::AssertionResult same_bytes(const std::string& actual,
                                             const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    return ::testing::AssertionFailure()
           << "sizes " << actual.size() << " and " << expected.size()
           << ", first difference at byte " << at << ": \"" << actual.substr(at, 60)
           << "\" instead of \"" << expected.substr(at, 60) << "\"";
}

// The page without the TOC block (both markers and what lies between).
inline std::string without_toc(std::string page) {
    const std::string start = "<!--VELT_HTML_TOC_START-->", end = "<!--VELT_HTML_TOC_END-->";
    const size_t a = page.find(start), b = page.find(end);
    if (a != std::string::npos && b != std::string::npos && a < b)
        page.erase(a, b + end.size() - a);
    return page;
}

// Whether two snapshots hold the same files with the same bytes; a failure
// names the first file that differs, is missing or is extra.
inline testing::AssertionResult same_files(const snapshot& now, const snapshot& expected) {
    auto a = now.begin(), b = expected.begin();
    for (; a != now.end() && b != expected.end(); ++a, ++b) {
        if (a->first != b->first)
            return testing::AssertionFailure()
                   << (a->first < b->first ? "extra file " + a->first : "missing file " + b->first);
        if (a->second != b->second)
            return testing::AssertionFailure() << a->first << " differs (" << a->second.size()
                                               << " bytes, expected " << b->second.size() << ")";
    }
    if (a != now.end()) return testing::AssertionFailure() << "extra file " << a->first;
    if (b != expected.end()) return testing::AssertionFailure() << "missing file " << b->first;
    return testing::AssertionSuccess();
}

// Names of leftover temporary files of interrupted writes.
inline std::vector<std::string> temporary_files(const snapshot& files) {
    std::vector<std::string> found;
    for (const auto& [name, bytes] : files)
        if (name.find(".orvane-tmp") != std::string::npos) found.push_back(name);
    return found;
}

struct run_options {
    long file_size_limit = -1;    // RLIMIT_FSIZE for the child
    long memory_limit = -1;       // RLIMIT_AS for the child
    bool as_nobody = false;       // drop to uid/gid 65534 (when root)
    std::vector<gid_t> groups{};  // supplementary groups of nobody
    long kill_after_us = -1;      // SIGKILL after this many microseconds
    std::string kill_once = "";   // SIGKILL as soon as this file (in cwd) exists
    // Called with the child's id while it runs (before it is waited for).
    std::function<void(pid_t)> meanwhile = nullptr;
    // A program and its arguments that run vorn1 (a tracer), or none.
    std::vector<std::string> run_under{};
    long open_files = -1;                      // RLIMIT_NOFILE's soft limit
    long open_files_hard = -1;                 // and its hard limit
    std::map<std::string, std::string> env{};  // set for the child
    std::string program{};                     // run instead of vorn1 (a path)
};

// A fault at one step of the program (see fault_hook.cpp): the call of
// function whose path contains path does action ("kill", "fail" or
// "hold"). A held run waits until the file mark is removed.
inline std::map<std::string, std::string> fault_at(const std::string& function,
                                                   const std::string& path,
                                                   const std::string& action,
                                                   const std::string& mark = "") {
    return {{"LD_PRELOAD", std::string(ORVANE_BUILD_DIR) + "/tests/liborvane_fault_hook.so"},
            {"ASAN_OPTIONS", "verify_asan_link_order=0"},
            {"ORVANE_FAULT_CALL", function},
            {"ORVANE_FAULT_PATH", path},
            {"ORVANE_FAULT_ACTION", action},
            {"ORVANE_FAULT_MARK", mark}};
}

struct run_result {
    int exit_code = -1;  // -1 when killed by a signal
    std::string out;
    std::string err;
};

// Runs the built vorn1 with args in folder cwd (tests/support/run_program.h).
inline run_result run_vorn1(const std::string& cwd, const std::vector<std::string>& args,
                            const run_options& options = {}) {
    child_options o;
    o.cwd = cwd;
    o.env.push_back("SOURCE_DATE_EPOCH=1000000000");
    for (const auto& [name, value] : options.env) o.env.push_back(name + "=" + value);
    o.run_under = options.run_under;
    o.file_size_limit = options.file_size_limit;
    o.memory_limit = options.memory_limit;
    o.open_files = options.open_files;
    o.open_files_hard = options.open_files_hard;
    o.as_nobody = options.as_nobody;
    o.groups = options.groups;
    // A run to be killed at a moment yields to the watcher, which then sees
    // short-lived files even on a busy machine.
    o.yield = !options.kill_once.empty() || options.meanwhile != nullptr;
    o.meanwhile = options.meanwhile;
    o.kill_after_us = options.kill_after_us;
    o.kill_once = options.kill_once;
    const std::string program =
        options.program.empty() ? std::string(ORVANE_BUILD_DIR) + "/vorn1" : options.program;
    program_result r = run_child(program, args, o);
    return {r.status, std::move(r.out), std::move(r.err)};
}

inline run_result build(const site& s, const run_options& options = {}) {
    return run_vorn1(s.path(), {"-command", "project.txt"}, options);
}

// Polls until done() holds; false after a minute.
inline bool wait_until(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        usleep(200);
    }
    return true;
}

// True while a temporary file of the page at path (".<name>.XXXXXX.orvane-tmp"
// beside it) exists.
inline bool staged(const std::string& path) {
    const fs::path p(path);
    const std::string prefix = "." + p.filename().string() + ".";
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(p.parent_path(), ec)) {
        const std::string name = e.path().filename().string();
        if (name.starts_with(prefix) && name.ends_with(".orvane-tmp")) return true;
    }
    return false;
}

// Holds a page as another run's rewrite in place does, locked with its
// backup beside it: a build that comes to read it waits there, which gives a
// test a fixed point in the middle of a build.
class page_lock {
  public:
    explicit page_lock(const std::string& path)
        : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)), backup_(plant_rewrite_backup(path)) {
        flock(fd_, LOCK_EX);
    }
    ~page_lock() { release(); }
    void release() {
        if (fd_ >= 0) {
            unlink(backup_.c_str());
            close(fd_);
        }
        fd_ = -1;
    }

  private:
    int fd_;
    std::string backup_;
};

}  // namespace reliability
