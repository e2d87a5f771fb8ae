// What a crash at any moment of a build may find on disk: the order of the
// file-system calls of real runs, recorded by strace. Each file's bytes are
// durable before it takes a page's name, no page is renamed before every
// staged file is durable, each folder is synced after the names in it
// change, and a page rewritten in place has a durable backup for as long as
// its new bytes are not durable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "reliability/traced_calls.h"

namespace {

using namespace reliability;

// A staged file, or a folder's lock file: neither needs to outlive a crash.
bool is_temporary(const std::string& path) {
    return path.ends_with(".orvane-tmp") || path.ends_with("/.orvane-lock");
}

std::string folder_of(const std::string& path) {
    return path.substr(0, path.find_last_of('/'));
}

std::string name_of(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

std::string backup_of(const std::string& page) {
    return folder_of(page) + "/." + name_of(page) + ".orvane-backup";
}

// Replays the calls of one run over the files below a folder and notes each
// step that a crash right after it would make cost data.
class write_order {
  public:
    explicit write_order(std::string root) : root_(std::move(root)), cwd_(root_) {}

    void replay(const std::vector<traced_call>& calls) {
        for (const traced_call& call : calls)
            if (call.result >= 0) step(call);
        for (const auto& [folder, names] : unsynced_) {
            std::string changed;
            for (const std::string& name : names) changed += (changed.empty() ? "" : ", ") + name;
            if (!names.empty())
                note(shown(folder) + " is not synced after " + changed + " changed");
        }
        for (const std::string& path : dirty_)
            if (!is_temporary(path)) note(shown(path) + " is not durable when the run ends");
    }

    const std::vector<std::string>& problems() const { return problems_; }
    // Pages that received a new file by rename, and pages rewritten in place.
    const std::set<std::string>& renamed() const { return renamed_; }
    const std::set<std::string>& rewritten() const { return rewritten_; }

  private:
    void step(const traced_call& call) {
        const std::string& n = call.name;
        const std::vector<std::string>& a = call.args;
        const int fd = a.empty() ? -1 : std::atoi(a[0].c_str());
        if (n == "open" || n == "creat")
            opened(call.result, path(cwd_, a[0]), n == "creat" ? "O_TRUNC" : a[1]);
        else if (n == "openat")
            opened(call.result, path(base(a[0]), a[1]), a[2]);
        else if (n == "dup" || n == "fcntl")
            copy_descriptor(fd, call.result, n == "dup" || a[1].starts_with("F_DUPFD"));
        else if (n == "dup2" || n == "dup3")
            copy_descriptor(fd, std::atoi(a[1].c_str()), true);
        else if (n == "close")
            files_.erase(fd);
        else if (n == "chdir")
            cwd_ = path(cwd_, a[0]);
        else if (n == "fchdir")
            cwd_ = files_[fd];
        else if (n == "copy_file_range")
            written(files_[std::atoi(a[2].c_str())]);
        else if (n.starts_with("write") || n.starts_with("pwrite") || n == "sendfile" ||
                 n == "ftruncate")
            written(files_[fd]);
        else if (n == "fsync" || n == "fdatasync")
            synced(files_[fd]);
        else if (n == "syncfs" || n == "sync")
            dirty_.clear();
        else if (n == "rename")
            renamed(path(cwd_, a[0]), path(cwd_, a[1]));
        else if (n.starts_with("renameat"))
            renamed(path(base(a[0]), a[1]), path(base(a[2]), a[3]));
        else if (n == "unlink")
            removed(path(cwd_, a[0]));
        else if (n == "unlinkat")
            removed(path(base(a[0]), a[1]));
    }

    std::string base(const std::string& folder_fd) {
        return folder_fd == "AT_FDCWD" ? cwd_ : files_[std::atoi(folder_fd.c_str())];
    }
    static std::string path(const std::string& base, const std::string& quoted) {
        const std::string given = unquote(quoted);
        std::string p = std::filesystem::path(given.starts_with('/') ? given : base + "/" + given)
                            .lexically_normal()
                            .string();
        if (p.size() > 1 && p.ends_with('/')) p.pop_back();
        return p;
    }
    bool mine(const std::string& path) const { return path.starts_with(root_ + "/"); }
    std::string shown(const std::string& path) const {
        return path == root_ ? "the site's folder" : path.substr(root_.size() + 1);
    }
    void note(const std::string& problem) {
        if (std::find(problems_.begin(), problems_.end(), problem) == problems_.end())
            problems_.push_back(problem);
    }

    void opened(long fd, const std::string& path, const std::string& flags) {
        files_[static_cast<int>(fd)] = path;
        if (flags.find("O_TRUNC") != std::string::npos) written(path);
    }
    void copy_descriptor(int from, long to, bool is_copy) {
        if (is_copy) files_[static_cast<int>(to)] = files_[from];
    }

    // Bytes written into a page itself may only replace bytes that a durable
    // backup keeps.
    void written(const std::string& path) {
        if (!mine(path)) return;
        dirty_.insert(path);
        if (is_temporary(path)) return;
        rewritten_.insert(path);
        const std::string backup = backup_of(path);
        if (!backups_.count(backup))
            note(shown(path) + " is rewritten in place with no backup");
        else if (dirty_.count(backup))
            note(shown(path) + " is rewritten in place before its backup's bytes are durable");
        else if (unsynced_[folder_of(backup)].count(name_of(backup)))
            note(shown(path) + " is rewritten in place before its backup's name is durable");
    }

    void synced(const std::string& path) {
        dirty_.erase(path);
        unsynced_.erase(path);
    }

    void renamed(const std::string& from, const std::string& to) {
        if (!mine(to)) return;
        // Said once for each file: what follows from it is no news.
        if (dirty_.erase(from)) {
            note(shown(from) + " takes the name " + shown(to) + " before its bytes are durable");
        } else {
            const auto staged = std::find_if(dirty_.begin(), dirty_.end(), is_temporary);
            if (staged != dirty_.end())
                note(shown(to) + " is renamed before the barrier: " + shown(*staged) +
                     " is not durable yet");
        }
        for (auto& [fd, path] : files_)
            if (path == from) path = to;
        unsynced_[folder_of(to)].insert(name_of(to));
        if (folder_of(from) != folder_of(to)) unsynced_[folder_of(from)].insert(name_of(from));
        if (to.ends_with(".orvane-backup"))
            backups_.insert(to);
        else if (!is_temporary(to))
            renamed_.insert(to);
    }

    // A backup may go once the page's new bytes are durable; a removed
    // temporary file needs no sync (the next run removes it anyway, and
    // takes over a lock file).
    void removed(const std::string& path) {
        if (!mine(path)) return;
        dirty_.erase(path);
        if (is_temporary(path)) return;
        if (backups_.erase(path)) {
            const std::string name = name_of(path);
            const std::string page =
                folder_of(path) + "/" + name.substr(1, name.size() - 1 - strlen(".orvane-backup"));
            if (dirty_.count(page))
                note("the backup of " + shown(page) +
                     " is removed before its new bytes are durable");
        }
        unsynced_[folder_of(path)].insert(name_of(path));
    }

    std::string root_;
    std::string cwd_;
    std::map<int, std::string> files_;                       // open descriptors
    std::set<std::string> dirty_;                            // written since their last sync
    std::map<std::string, std::set<std::string>> unsynced_;  // names changed, by folder
    std::set<std::string> backups_;
    std::set<std::string> renamed_;
    std::set<std::string> rewritten_;
    std::vector<std::string> problems_;
};

std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) all += "\n  " + line;
    return all;
}

// Pages in two folders and the destination, replaced by rename, and a page
// with a second hard link, rewritten in place (alone in its folder, so that
// no other page's sync covers its backup's).
TEST(durability, BuildsAndClearingWriteInTheOrderThatSurvivesACrash) {
    const std::string strace = find_strace();
    if (strace.empty()) GTEST_SKIP() << "strace is not installed: the calls cannot be recorded";
    site s;
    const std::vector<std::string> pages = {"one/a.html", "one/b.html", "two/c.html",
                                            "linked/d.html"};
    for (const std::string& page : pages)
        s.write(page, "<html><body><h1>" + page + "</h1><h2>More</h2></body></html>");
    std::filesystem::create_directories(s.file("mirror"));
    ASSERT_EQ(link(s.file("linked/d.html").c_str(), s.file("mirror/d.html").c_str()), 0);
    s.write("index.html", "<html><body><h1>Contents</h1><!-- toc --></body></html>");
    s.project(pages, false, "index.html");

    const std::string root = std::filesystem::canonical(s.path()).string();
    const std::set<std::string> by_rename = {root + "/one/a.html", root + "/one/b.html",
                                             root + "/two/c.html", root + "/index.html"};
    const std::set<std::string> in_place = {root + "/linked/d.html"};
    for (const char* mode : {"-command", "-clear"}) {
        SCOPED_TRACE(mode);
        std::vector<traced_call> calls;
        const run_result r = run_traced(strace, s, {mode, "project.txt"}, calls);
        ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
        write_order order(root);
        order.replay(calls);
        EXPECT_EQ(order.renamed(), by_rename);
        EXPECT_EQ(order.rewritten(), in_place);
        EXPECT_TRUE(order.problems().empty()) << joined(order.problems());
    }
    EXPECT_EQ(s.read("mirror/d.html"), s.read("linked/d.html"));
}

// A project, settings or desktop file saved alone: a new file and one
// replaced, each durable with its name before the save is reported done.
TEST(durability, SmallFileSavesSurviveACrash) {
    const std::string strace = find_strace();
    if (strace.empty()) GTEST_SKIP() << "strace is not installed: the calls cannot be recorded";
    site s;
    s.write("old.txt", "old bytes");
    const std::string root = std::filesystem::canonical(s.path()).string();
    for (const char* name : {"new.txt", "old.txt"}) {
        SCOPED_TRACE(name);
        std::vector<traced_call> calls;
        const run_result r =
            run_traced(strace, s, {s.file(name), "saved bytes"}, calls,
                       std::string(ORVANE_BUILD_DIR) + "/tests/orvane_write_probe");
        ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
        EXPECT_EQ(s.read(name), "saved bytes");
        write_order order(root);
        order.replay(calls);
        EXPECT_EQ(order.renamed(), std::set<std::string>{root + "/" + name});
        EXPECT_TRUE(order.problems().empty()) << joined(order.problems());
    }
}

}  // namespace
