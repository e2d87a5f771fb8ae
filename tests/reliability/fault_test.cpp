// Faults during a build: failing writes, kills at random moments, two builds
// at once, and files the user may not touch. Every file ends up either with
// its old bytes or with its new bytes, and failures are reported.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "reliability/generated_site.h"
#include "support/lock_waiters.h"

namespace {

using namespace reliability;

// A file-size limit below every output, or between the outputs: the build
// fails naming a page, and no file changes.
TEST(fault, WriteFailingWhileStagingChangesNothing) {
    site s;
    make_site(s, 40);
    const snapshot before = s.files();
    const snapshot after = built_copy(s);
    size_t smallest = SIZE_MAX, largest = 0;
    for (const auto& [name, bytes] : after)
        if (before.at(name) != bytes)
            smallest = std::min(smallest, bytes.size()), largest = std::max(largest, bytes.size());

    for (const size_t limit : {smallest - 1, (smallest + largest) / 2}) {
        site trial;
        trial.copy_from(s);
        const run_result r = build(trial, {.file_size_limit = static_cast<long>(limit)});
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_NE(r.out.find("Error occurred: Can't open file for writing: "), std::string::npos)
            << r.out;
        EXPECT_TRUE(same_files(trial.files(), before)) << limit;
    }
}

TEST(fault, FullFileSystemChangesNothing) {
    // A file system with room for the pages but not for all their new
    // copies: it fills up part way through the build.
    site s;
    const std::string folder = s.file("small");
    std::filesystem::create_directory(folder);
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a file system here";
    std::string page = "<body>";
    while (page.size() < 8000) page += "<h2>Heading</h2><p>text text text</p>\n";
    std::string project = "<is_single>0</is_single><destination>index.html</destination>";
    for (int i = 0; i < 24; ++i) {
        s.write("small/page" + std::to_string(i) + ".html", page);
        project += "<source>page" + std::to_string(i) + ".html</source>";
    }
    s.write("small/t.tpl", "x");
    s.write("small/project.txt", project + "<template_file>t.tpl</template_file>");
    const snapshot before = s.files();
    const run_result r = run_vorn1(folder, {"-command", "project.txt"});
    const snapshot now = s.files();
    umount(folder.c_str());
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(
        r.out.starts_with("Orvane 1.0b\r\nError occurred: Can't open file for writing: page"))
        << r.out;
    EXPECT_TRUE(same_files(now, before));
}

// Under a range of memory limits a heading-dense page gets its usual result
// or "Memory error occurred" with exit code 1, never a crash; a run that
// fails changes nothing.
TEST(fault, RunningOutOfMemoryIsReportedAndChangesNothing) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves terabytes of address space, so a limit on it "
                    "stops the program before it starts";
#endif
    site s;
    std::string page = "<html><body>";
    while (page.size() + 9 < 4194304) page += "<h1></h1>";
    s.write("page.html", page);
    s.project({"page.html"}, true);
    const std::string title = "Orvane 1.0b\r\n";
    const std::string memory_error = title + "Error occurred: Memory error occurred";
    const std::pair<const char*, std::string> runs[] = {
        {"-command", title + "Build is complete.\r\n"},
        {"-clear", title + "Clearance is done\r\n"}};
    int memory_errors = 0;
    for (const long megabytes : {40, 80, 120, 200, 300, 450}) {
        for (const auto& [command, usual] : runs) {
            site t;
            t.copy_from(s);
            const snapshot before = t.files();
            const run_result r =
                run_vorn1(t.path(), {command, "project.txt"}, {.memory_limit = megabytes << 20});
            const bool failed = r.out == memory_error;
            memory_errors += failed;
            EXPECT_TRUE(failed ? r.exit_code == 1 : r.out == usual)
                << megabytes << " MB, " << command << ": " << r.out << r.err;
            if (failed) {
                EXPECT_TRUE(same_files(t.files(), before)) << megabytes << " MB, " << command;
            }
        }
    }
    EXPECT_GT(memory_errors, 0);
}

// Under memory limits that leave room for some of the threads asked for, or
// for none: a site builds as usual or fails with "Memory error occurred",
// never a crash, never a run that does not end, and a failed run changes
// nothing.
TEST(fault, ThreadsThatCannotStartOrPagesThatCannotOpenEndTheRunCleanly) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves terabytes of address space, so a limit on it "
                    "stops the program before it starts";
#endif
    site s;
    make_site(s, 100);
    const std::string memory_error = "Orvane 1.0b\r\nError occurred: Memory error occurred";
    int usual = 0, memory_errors = 0;
    for (long megabytes = 24; megabytes <= 96; megabytes += 6) {
        site t;
        t.copy_from(s);
        const snapshot before = t.files();
        const run_result r =
            run_vorn1(t.path(), {"--jobs", "8", "-command", "project.txt"},
                      {.memory_limit = megabytes << 20, .kill_after_us = 20'000'000});
        const bool failed = r.out == memory_error;
        memory_errors += failed;
        usual += r.out == kDone;
        EXPECT_TRUE(failed ? r.exit_code == 1 : r.out == kDone)
            << megabytes << " MB: " << r.exit_code << " " << r.out << r.err;
        if (failed) {
            EXPECT_TRUE(same_files(t.files(), before)) << megabytes << " MB";
        }
    }
    EXPECT_GT(memory_errors, 0);
    EXPECT_GT(usual, 0);
}

// True once the child has ended (it stays to be waited for).
bool ended(pid_t child) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == child;
}

// Killed at random moments, and right after the first rename: every file is
// old or new, and the next build ends as an uninterrupted one, leaving no
// temporary file.
TEST(fault, KilledBuildsLeaveOldOrNewBytesAndRecover) {
    site s;
    make_site(s, 300);
    const snapshot before = s.files();
    const auto start = std::chrono::steady_clock::now();
    const snapshot after = built_copy(s);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
    // The first page the build changes, renamed first.
    std::string first;
    for (int i = 0; first.empty(); ++i) {
        const std::string name =
            "part" + std::to_string(i % 7) + "/page" + std::to_string(i) + ".html";
        if (after.at(name) != before.at(name)) first = name;
    }

    int interrupted = 0, half_renamed = 0;
    auto trial = [&](const std::function<run_options(const site&)>& options,
                     const std::string& when) {
        site t;
        t.copy_from(s);
        const run_result killed = build(t, options(t));
        interrupted += killed.exit_code == -1;
        const snapshot now = t.files();
        ASSERT_TRUE(old_or_new(now, before, after)) << when;
        bool some_old = false, some_new = false;
        for (const auto& [name, bytes] : before) {
            if (after.at(name) == bytes) continue;
            (now.at(name) == bytes ? some_old : some_new) = true;
        }
        half_renamed += some_old && some_new;
        const run_result again = build(t);
        ASSERT_EQ(again.out, kDone) << again.err;
        EXPECT_TRUE(same_files(t.files(), after)) << when;
    };
    std::mt19937 rnd(20);
    for (int i = 0; i < 20; ++i) {
        const long delay = static_cast<long>(rnd() % static_cast<unsigned>(took));
        trial([&](const site&) { return run_options{.kill_after_us = delay}; },
              "killed after " + std::to_string(delay) + " us");
    }
    // The first page's temporary file goes when it is renamed.
    const auto at_first_rename = [&](const site& t) {
        return run_options{.meanwhile = [&t, &first](pid_t child) {
            wait_until([&] { return staged(t.file(first)) || ended(child); });
            wait_until([&] { return !staged(t.file(first)) || ended(child); });
            kill(child, SIGKILL);
        }};
    };
    for (int i = 0; i < 5; ++i) trial(at_first_rename, "killed at the first rename");
    EXPECT_GT(interrupted, 0);
    EXPECT_GT(half_renamed, 0);
    std::printf("%d of 25 builds killed, %d of them half way through the renames\n", interrupted,
                half_renamed);
}

// Three times: from the second round on, both runs read a page cache that
// earlier runs wrote, and both write it again.
TEST(fault, TwoBuildsAtOnceBothFinishWithCompleteFiles) {
    site s;
    make_site(s, 150);
    const snapshot after = built_copy(s);
    for (int round = 0; round < 3; ++round) {
        pid_t children[2];
        for (pid_t& child : children) {
            child = fork();
            if (child == 0) _exit(build(s).out == kDone ? 0 : 1);
        }
        for (pid_t child : children) {
            int status = 0;
            waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        snapshot now = s.files();
        EXPECT_TRUE(temporary_files(now).empty());
        EXPECT_TRUE(same_files(now, after)) << "round " << round;
    }
}

// A site (pages in a/, its TOC in b/) and a single page of a/ built at the
// same time: the single page's run waits while the site's run is held at
// its durability barrier with its pages staged, and builds once that run is
// done; both succeed, as if one had run after the other.
TEST(fault, TwoProjectsSharingAPageTakeTurns) {
    site s;
    s.write("a/x.html", "<body><h1>X one</h1><h2>X two</h2></body>");
    s.write("a/y.html", "<body><h1>Y</h1></body>");
    s.write("b/index.html", "<body><!-- toc --></body>");
    s.project({"a/x.html", "a/y.html"}, false, "b/index.html");
    s.write("single.txt",
            "<process_numbering>1</process_numbering>\r\n<is_single>1</is_single>"
            "\r\n<source>a/x.html</source>\r\n<template_file>toc.tpl</template_file>");
    site one_then_other;
    one_then_other.copy_from(s);
    ASSERT_EQ(build(one_then_other).out, kDone);
    ASSERT_EQ(run_vorn1(one_then_other.path(), {"-command", "single.txt"}).out, kDone);

    const std::string mark = s.file("held");
    run_result single;
    const run_result site_run =
        build(s, {.meanwhile =
                      [&](pid_t) {
                          ASSERT_TRUE(wait_until([&] { return access(mark.c_str(), 0) == 0; }));
                          std::thread other([&] {
                              single = run_vorn1(s.path(), {"-command", "single.txt"});
                          });
                          struct stat lock {
                          }, page{};
                          stat(s.file("a/.orvane-lock").c_str(), &lock);
                          stat(s.file("a/x.html").c_str(), &page);
                          // Only the builder may open the lock.
                          EXPECT_EQ(lock.st_mode & 07777, 0600u);
                          // The waiting line comes after a second of waiting.
                          EXPECT_TRUE(someone_waits_for({lock.st_ino, page.st_ino}));
                          usleep(1'300'000);
                          unlink(mark.c_str());
                          other.join();
                      },
                  .env = fault_at("syncfs", "/a", "hold", mark)});
    EXPECT_EQ(site_run.out, kDone) << site_run.err;
    EXPECT_EQ(single.out, kDone);
    EXPECT_NE(single.err.find("Waiting for "), std::string::npos) << single.err;
    EXPECT_TRUE(same_files(s.files(), one_then_other.files()));
}

// Another program holds the output folder's lock file, or a page that the
// build rewrites in place (it has a second hard link), or a page of a site
// while it has a rewrite's backup: a build or check says that it waits,
// gives up after the time it is given, reports that and changes nothing, on
// one thread as on several. The cases run at once, each on its own site.
TEST(fault, HeldFileIsWaitedForOnlySoLong) {
    struct held_case {
        bool folder;
        std::string mode;
        std::string jobs = "1";
        bool site_of_pages = false;  // the held page between two others
        site s{};
        std::string shown{};
        snapshot before{};
        run_result r{};
    } cases[] = {{true, "-command"},
                 {true, "-check"},
                 {false, "-command"},
                 {false, "-command", "1", true},
                 {false, "-command", "3", true},
                 {false, "-check", "3", true}};
    std::vector<std::thread> runs;
    for (held_case& c : cases) {
        c.s.write("page.html", "<body><h1>Page</h1></body>");
        if (c.site_of_pages) {
            c.s.write("first.html", "<body><h1>First</h1></body>");
            c.s.write("last.html", "<body><h1>Last</h1></body>");
            c.s.project({"first.html", "page.html", "last.html"}, false, "index.html");
        } else {
            c.s.project({"page.html"}, true);
        }
        c.shown = c.folder ? std::filesystem::canonical(c.s.path()).string() : "page.html";
        if (c.folder)
            c.s.write(".orvane-lock", "");
        else if (c.site_of_pages)
            plant_rewrite_backup(c.s.file("page.html"));  // read only once it is settled
        else
            ASSERT_EQ(link(c.s.file("page.html").c_str(), c.s.file("copy.html").c_str()), 0);
        c.before = c.s.files();
        runs.emplace_back([&c] {
            const int fd =
                open(c.s.file(c.folder ? ".orvane-lock" : "page.html").c_str(),
                     c.folder ? O_RDWR | O_CREAT | O_CLOEXEC : O_RDONLY | O_CLOEXEC, 0600);
            flock(fd, LOCK_EX);
            c.r = run_vorn1(c.s.path(), {"--jobs", c.jobs, c.mode, "project.txt"},
                            {.kill_after_us = 20'000'000, .env = {{"VORN1_LOCK_WAIT", "1"}}});
            close(fd);
        });
    }
    for (std::thread& run : runs) run.join();
    for (const held_case& c : cases) {
        const std::string name = c.shown + " " + c.mode + " --jobs " + c.jobs;
        EXPECT_EQ(c.r.exit_code, c.mode == "-check" ? 2 : 1) << name;
        EXPECT_EQ(c.r.err, "Waiting for " + c.shown + ", held by another program\u2026\n") << name;
        EXPECT_EQ(c.r.out,
                  "Orvane 1.0b\r\nError occurred: Gave up waiting for another program: " + c.shown)
            << name;
        EXPECT_TRUE(same_files(c.s.files(), c.before)) << name;
    }
}

// The lock file of the output folder is removed however a run ends: built,
// failed, terminated by a signal while its pages are staged, or a check.
TEST(fault, NoLockFileIsLeftBehind) {
    struct ending {
        const char* name;
        std::vector<std::string> args;
        run_options options;
        int exit_code;
    };
    site s;
    s.write("page.html", "<body><h1>Page</h1><h2>Two</h2></body>");
    s.project({"page.html"}, true);
    const std::string mark = s.file("held");
    const ending endings[] = {
        {"check", {"-check", "project.txt"}, {}, 1},
        {"failed", {"-command", "project.txt"}, {.file_size_limit = 10}, 1},
        {"terminated",
         {"-command", "project.txt"},
         {.meanwhile =
              [&](pid_t child) {
                  ASSERT_TRUE(wait_until([&] { return access(mark.c_str(), 0) == 0; }));
                  EXPECT_EQ(access(s.file(".orvane-lock").c_str(), 0), 0);
                  kill(child, SIGTERM);
              },
          .env = fault_at("syncfs", "", "hold", mark)},
         128 + SIGTERM},
        {"built", {"-command", "project.txt"}, {}, 0},
    };
    for (const ending& e : endings) {
        const run_result r = run_vorn1(s.path(), e.args, e.options);
        unlink(mark.c_str());
        EXPECT_EQ(r.exit_code, e.exit_code) << e.name << r.err;
        EXPECT_NE(access(s.file(".orvane-lock").c_str(), 0), 0) << e.name;
    }
}

// A link or a named pipe planted at the lock file's name is refused by a
// build and a check at once, and nothing changes.
TEST(fault, PlantedLockFileIsRefused) {
    for (const bool pipe : {false, true}) {
        for (const std::string mode : {"-command", "-check"}) {
            site s;
            s.write("page.html", "<body><h1>Page</h1></body>");
            s.project({"page.html"}, true);
            const std::string lock = s.file(".orvane-lock");
            ASSERT_EQ(pipe ? mkfifo(lock.c_str(), 0666) : symlink("page.html", lock.c_str()), 0);
            const snapshot before = s.files();
            const run_result r =
                run_vorn1(s.path(), {mode, "project.txt"}, {.kill_after_us = 20'000'000});
            EXPECT_EQ(r.exit_code, mode == "-check" ? 2 : 1) << mode << pipe;
            EXPECT_EQ(r.out, "Orvane 1.0b\r\nError occurred: Not a lock file of ours: " +
                                 std::filesystem::canonical(s.path()).string() + "/.orvane-lock");
            EXPECT_TRUE(same_files(s.files(), before)) << mode << pipe;
        }
    }
}

class as_nobody : public ::testing::Test {
  protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to drop privileges";
        s.write("page.html", "<body><h1>Mine</h1></body>");
        s.project({"page.html"}, true);
    }
    run_result build_as_nobody() { return build(s, {.as_nobody = true}); }
    site s;
};

TEST_F(as_nobody, PageItMayNotWriteIsReportedAndKept) {
    const snapshot before = s.files();
    const run_result r = build_as_nobody();
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "Orvane 1.0b\r\nError occurred: Can't open file for writing: page.html");
    EXPECT_TRUE(same_files(s.files(), before));
}

TEST_F(as_nobody, WritableFolderDoesNotLetItReplaceAnotherUsersPage) {
    // Replacing by rename needs only the folder; the page's own bits must
    // still be honoured.
    ASSERT_EQ(chown(s.path().c_str(), 65534, 65534), 0);
    const snapshot before = s.files();
    const run_result r = build_as_nobody();
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "Orvane 1.0b\r\nError occurred: Can't open file for writing: page.html");
    EXPECT_TRUE(same_files(s.files(), before));
}

TEST_F(as_nobody, UnreadablePageIsReportedAndKept) {
    ASSERT_EQ(chmod(s.file("page.html").c_str(), 0600), 0);
    ASSERT_EQ(chown(s.path().c_str(), 65534, 65534), 0);
    const snapshot before = s.files();
    const run_result r = build_as_nobody();
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "Orvane 1.0b\r\nError occurred: Can't open source file: page.html");
    EXPECT_TRUE(same_files(s.files(), before));
}

// Anyone who may read the output folder or a page may flock it; no build or
// check waits for that.
TEST_F(as_nobody, ReadersLocksDoNotStallARun) {
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t reader = fork();
    if (reader == 0) {
        close(ready[0]);
        close(done[1]);
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(1);
        for (const std::string& held : {s.path(), s.file("page.html")}) {
            const int fd = open(held.c_str(), O_RDONLY);
            if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) _exit(1);
        }
        char c = 'x';
        if (write(ready[1], &c, 1) != 1 || read(done[0], &c, 1) < 0) _exit(1);
        _exit(0);
    }
    close(ready[1]);
    close(done[0]);
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    const run_options wait_a_second{.kill_after_us = 20'000'000, .env = {{"VORN1_LOCK_WAIT", "1"}}};
    const run_result built = run_vorn1(s.path(), {"-command", "project.txt"}, wait_a_second);
    const run_result checked = run_vorn1(s.path(), {"-check", "project.txt"}, wait_a_second);
    close(done[1]);
    close(ready[0]);
    waitpid(reader, nullptr, 0);
    EXPECT_EQ(built.out, kDone);
    EXPECT_EQ(built.err, "");
    EXPECT_EQ(checked.exit_code, 0) << checked.out;
    EXPECT_EQ(checked.err, "");
}

// Its own page in its own folder, or in a folder it may write but not list.
TEST_F(as_nobody, OwnPageIsBuiltInAFolderItMayWrite) {
    for (const auto& [owner, mode] : {std::pair<uid_t, mode_t>{65534, 0755}, {0, 0733}}) {
        site t;
        t.write("page.html", "<body><h1>Mine</h1></body>");
        t.project({"page.html"}, true);
        ASSERT_EQ(chown(t.file("page.html").c_str(), 65534, 65534), 0);
        ASSERT_EQ(chmod(t.file("page.html").c_str(), 0640), 0);
        ASSERT_EQ(chown(t.path().c_str(), owner, owner), 0);
        ASSERT_EQ(chmod(t.path().c_str(), mode), 0);
        const run_result r = build(t, {.as_nobody = true});
        EXPECT_EQ(r.out, kDone) << std::oct << mode << " " << r.err;
        struct stat info {};
        ASSERT_EQ(stat(t.file("page.html").c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_mode & 0777, 0640u);
        EXPECT_NE(t.read("page.html").find("velt_link_1_"), std::string::npos) << std::oct << mode;
        // Its runs take turns there too: a held lock file is waited for.
        const int held = open(t.file(".orvane-lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        ASSERT_GE(held, 0);
        fchmod(held, 0666);
        flock(held, LOCK_EX);
        const run_result waited = build(t, {.as_nobody = true, .env = {{"VORN1_LOCK_WAIT", "1"}}});
        EXPECT_NE(waited.out.find("Gave up waiting for another program"), std::string::npos)
            << std::oct << mode << " " << waited.out;
        close(held);
        unlink(t.file(".orvane-lock").c_str());
    }
}

// A site of pages with second hard links is rewritten in place, each page
// open until the commit ends: it builds under a low soft limit of open
// files, and a hard limit too low is reported as such, changing nothing.
TEST(fault, LinkedSiteBuildsUpToTheDescriptorLimit) {
    constexpr int kPages = 80;
    for (const long hard : {4096L, 64L}) {
        site s;
        std::vector<std::string> sources;
        for (int i = 0; i < kPages; ++i) {
            const std::string name = "page" + std::to_string(i) + ".html";
            s.write(name, "<body><h1>Page " + std::to_string(i) + "</h1></body>");
            ASSERT_EQ(link(s.file(name).c_str(), s.file("linked" + std::to_string(i)).c_str()), 0);
            sources.push_back(name);
        }
        s.write("index.html", "<body><!-- toc --></body>");
        s.project(sources, false, "index.html");
        const snapshot before = s.files();
        const run_result r = build(s, {.open_files = 64, .open_files_hard = hard});
        if (hard > 64) {
            EXPECT_EQ(r.out, kDone) << r.err;
            for (int i = 0; i < kPages; ++i) {
                const std::string page = s.read("page" + std::to_string(i) + ".html");
                EXPECT_NE(page.find("velt_link_1_"), std::string::npos) << i;
                EXPECT_EQ(s.read("linked" + std::to_string(i)), page) << i;
            }
        } else {
            EXPECT_EQ(r.exit_code, 1);
            EXPECT_TRUE(
                r.out.starts_with("Orvane 1.0b\r\nError occurred: Too many open files: page"))
                << r.out;
            EXPECT_TRUE(same_files(s.files(), before));
        }
    }
}

}  // namespace
