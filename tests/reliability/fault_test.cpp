// Faults during a build: failing writes, kills at random moments, two builds
// at once, and files the user may not touch. Every file ends up either with
// its old bytes or with its new bytes, and failures are reported.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <chrono>
#include <random>
#include <string>

#include "reliability/site.h"
#include "support/page_generator.h"

namespace {

using namespace reliability;

const std::string kDone = "Orvane 1.0b\r\nBuild is complete.\r\n";

// A site of generated pages in a few folders and a destination page.
void make_site(const site& s, int pages) {
    std::vector<std::string> sources;
    for (int i = 0; i < pages; ++i) {
        const std::string name =
            "part" + std::to_string(i % 7) + "/page" + std::to_string(i) + ".html";
        page_options options;
        options.navigation = i % 3 == 0;
        s.write(name, generate_page(static_cast<unsigned>(1000 + i), options));
        sources.push_back(name);
    }
    s.write("index.html", "<html><body><h1>Contents</h1><!-- toc --></body></html>");
    s.project(sources, false, "index.html");
}

// The files of a completed build of a copy of s.
snapshot built_copy(const site& s) {
    site copy;
    copy.copy_from(s);
    const run_result r = build(copy);
    EXPECT_EQ(r.out, kDone) << r.err;
    return copy.files();
}

// Each file of now holds its bytes of before or of after; temporary files
// are reported separately.
::testing::AssertionResult old_or_new(const snapshot& now, const snapshot& before,
                                      const snapshot& after) {
    for (const auto& [name, bytes] : now) {
        if (name.find(".orvane-tmp") != std::string::npos) continue;
        const auto old_bytes = before.find(name);
        const auto new_bytes = after.find(name);
        const bool is_old = old_bytes != before.end() && old_bytes->second == bytes;
        const bool is_new = new_bytes != after.end() && new_bytes->second == bytes;
        if (!is_old && !is_new)
            return ::testing::AssertionFailure() << name << " is neither old nor new";
    }
    for (const auto& [name, bytes] : before)
        if (!now.count(name)) return ::testing::AssertionFailure() << name << " is missing";
    return ::testing::AssertionSuccess();
}

TEST(fault, WriteFailingMidwayLeavesFilesWholeAndIsReported) {
    site s;
    make_site(s, 40);
    const snapshot before = s.files();
    const snapshot after = built_copy(s);
    size_t smallest = SIZE_MAX, largest = 0;
    for (const auto& [name, bytes] : after)
        if (before.at(name) != bytes)
            smallest = std::min(smallest, bytes.size()), largest = std::max(largest, bytes.size());

    // Below every output: nothing changes. Between: the build stops at the
    // first page too big, and what was written before it is complete.
    for (const size_t limit : {smallest - 1, (smallest + largest) / 2}) {
        site trial;
        trial.copy_from(s);
        const run_result r = build(trial, {.file_size_limit = static_cast<long>(limit)});
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_NE(r.out.find("Error occurred: Can't open file for writing: "), std::string::npos)
            << r.out;
        const snapshot now = trial.files();
        EXPECT_TRUE(old_or_new(now, before, after));
        EXPECT_TRUE(temporary_files(now).empty());
        if (limit < smallest) {
            EXPECT_TRUE(now == before);
        }
    }
}

TEST(fault, FullFileSystemLeavesThePageWholeAndIsReported) {
    // A file system with room for the page but not for its new copy.
    site s;
    const std::string folder = s.file("small");
    std::filesystem::create_directory(folder);
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=96k") != 0)
        GTEST_SKIP() << "cannot mount a file system here";
    std::string page = "<body>";
    while (page.size() < 60000) page += "<h2>Heading</h2><p>text text text</p>\n";
    s.write("small/page.html", page);
    s.write("small/t.tpl", "x");
    s.write("small/project.txt",
            "<is_single>1</is_single><is_dest_as_source>1</is_dest_as_source>"
            "<source>page.html</source><template_file>t.tpl</template_file>");
    const run_result r = run_vorn1(folder, {"-command", "project.txt"});
    const snapshot now = s.files();
    umount(folder.c_str());
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "Orvane 1.0b\r\nError occurred: Can't open file for writing: page.html");
    EXPECT_TRUE(same_bytes(now.at("small/page.html"), page));
    EXPECT_TRUE(temporary_files(now).empty());
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
    const std::pair<const char*, std::string> runs[] = {{"-command", title + "Build is complete.\r\n"},
                                                        {"-clear", title + "Clearance is done\r\n"}};
    int memory_errors = 0;
    for (const long megabytes : {120, 200, 300, 450}) {
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
                EXPECT_TRUE(t.files() == before) << megabytes << " MB, " << command;
            }
        }
    }
    EXPECT_GT(memory_errors, 0);
}

TEST(fault, KilledBuildsLeaveOldOrNewBytesAndRecover) {
    site s;
    make_site(s, 300);
    const snapshot before = s.files();
    const auto start = std::chrono::steady_clock::now();
    const snapshot after = built_copy(s);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();

    std::mt19937 rnd(20);
    int interrupted = 0;
    for (int trial = 0; trial < 20; ++trial) {
        site t;
        t.copy_from(s);
        const long delay = static_cast<long>(rnd() % static_cast<unsigned>(took));
        const run_result killed = build(t, {.kill_after_us = delay});
        if (killed.exit_code == -1) ++interrupted;
        const snapshot now = t.files();
        ASSERT_TRUE(old_or_new(now, before, after)) << "killed after " << delay << " us";

        // The next build finishes the work; leftovers of the killed one are
        // never read as pages.
        const run_result again = build(t);
        ASSERT_EQ(again.out, kDone) << again.err;
        snapshot rebuilt = t.files();
        for (const std::string& name : temporary_files(rebuilt)) rebuilt.erase(name);
        EXPECT_TRUE(rebuilt == after) << "killed after " << delay << " us";
        EXPECT_EQ(t.read("index.html").find("orvane-tmp"), std::string::npos);
    }
    EXPECT_GT(interrupted, 0);
}

TEST(fault, TwoBuildsAtOnceBothFinishWithCompleteFiles) {
    site s;
    make_site(s, 150);
    const snapshot after = built_copy(s);
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
    EXPECT_TRUE(now == after);
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
    EXPECT_TRUE(s.files() == before);
}

TEST_F(as_nobody, WritableFolderDoesNotLetItReplaceAnotherUsersPage) {
    // Replacing by rename needs only the folder; the page's own bits must
    // still be honoured.
    ASSERT_EQ(chown(s.path().c_str(), 65534, 65534), 0);
    const snapshot before = s.files();
    const run_result r = build_as_nobody();
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "Orvane 1.0b\r\nError occurred: Can't open file for writing: page.html");
    EXPECT_TRUE(s.files() == before);
}

TEST_F(as_nobody, UnreadablePageIsReportedAndKept) {
    ASSERT_EQ(chmod(s.file("page.html").c_str(), 0600), 0);
    ASSERT_EQ(chown(s.path().c_str(), 65534, 65534), 0);
    const snapshot before = s.files();
    const run_result r = build_as_nobody();
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "Orvane 1.0b\r\nError occurred: Can't open source file: page.html");
    EXPECT_TRUE(s.files() == before);
}

TEST_F(as_nobody, OwnPageInOwnFolderIsBuilt) {
    ASSERT_EQ(chown(s.path().c_str(), 65534, 65534), 0);
    ASSERT_EQ(chown(s.file("page.html").c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(s.file("page.html").c_str(), 0640), 0);
    const run_result r = build_as_nobody();
    EXPECT_EQ(r.out, kDone) << r.err;
    struct stat info {};
    ASSERT_EQ(stat(s.file("page.html").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_NE(s.read("page.html").find("velt_link_1_"), std::string::npos);
}

}  // namespace
