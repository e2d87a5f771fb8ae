#include "app/program_entry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "core/vtarr.h"
#include "files/vtfile_test_util.h"

using file_test::put;
using file_test::scratch_dir;

namespace {

entry_plan plan(std::string_view program, std::initializer_list<std::string_view> args) {
    vtarr list;
    for (std::string_view a : args) list.push_back(vtval(a));
    return plan_entry(program, list);
}

}  // namespace

TEST(plan_entry, ProgramNameChoosesTheMode) {
    EXPECT_EQ(plan("/opt/ORV1/vorn1", {}).mode, entry_mode::window);
    EXPECT_EQ(plan("/opt/ORV1/VORN1", {}).mode, entry_mode::window);
    EXPECT_EQ(plan("vorn1", {}).mode, entry_mode::window);
    EXPECT_EQ(plan("/media/cd/SeTuP", {"-command"}).mode, entry_mode::installer);
    EXPECT_EQ(plan("/usr/bin/other", {"-command", "x"}).mode, entry_mode::unknown_name);
    EXPECT_EQ(plan("/usr/bin/vorn1.exe", {}).mode, entry_mode::unknown_name);
    EXPECT_EQ(plan("/usr/vorn1/bin", {}).mode, entry_mode::unknown_name)
        << "only the base name counts";
}

TEST(plan_entry, BatchSwitchNeedsAnExistingFile) {
    scratch_dir dir;
    std::string project = dir / "My Project.txt";
    put(project, "<is_single>1</is_single>");

    entry_plan p = plan("vorn1", {"-command", project, "ignored"});
    EXPECT_EQ(p.mode, entry_mode::batch_build);
    EXPECT_EQ(p.file.view(), project) << "the name keeps its case";
    EXPECT_EQ(plan("vorn1", {"-COMMAND", project}).mode, entry_mode::batch_build);
    EXPECT_EQ(plan("vorn1", {"-Clear", project}).mode, entry_mode::batch_clear);
    EXPECT_EQ(plan("vorn1", {"-links", project}).mode, entry_mode::batch_links);
    EXPECT_EQ(plan("vorn1", {"--LINKS", project}).mode, entry_mode::batch_links);

    std::string backslashed = dir.path() + "\\My Project.txt";
    EXPECT_EQ(plan("vorn1", {"-command", backslashed}).file.view(), project);

    for (auto bad : {plan("vorn1", {"-command"}), plan("vorn1", {"-command", dir / "missing.txt"}),
                     plan("vorn1", {"-command", dir.path()}), plan("vorn1", {"-clear", ""}),
                     plan("vorn1", {"-links", dir / "missing.txt"})}) {
        EXPECT_EQ(bad.mode, entry_mode::parameter_error);
    }
}

TEST(plan_entry, WindowPresetIsAnExistingFileOnly) {
    scratch_dir dir;
    std::string page = dir / "Index.HTML";
    put(page, "<h1>x</h1>");
    entry_plan p = plan("vorn1", {page, "more"});
    EXPECT_EQ(p.mode, entry_mode::window);
    EXPECT_EQ(p.file.view(), page) << "paths keep their case here";
    EXPECT_TRUE(plan("vorn1", {dir / "index.html"}).file.empty());
    EXPECT_TRUE(plan("vorn1", {dir.path()}).file.empty()) << "a folder is no preset";
    EXPECT_TRUE(plan("vorn1", {}).file.empty());
}

TEST(plan_entry, OtherSwitchesNeverOpenTheWindow) {
    scratch_dir dir;
    // A path whose file name begins with a dash is no switch.
    put(dir / "-x", "<h1>x</h1>");
    const struct {
        std::string arg;
        entry_mode mode;
    } cases[] = {
        {"--help", entry_mode::help},
        {"-h", entry_mode::help},
        {"--HELP", entry_mode::help},
        {"--version", entry_mode::version},
        {"-version", entry_mode::parameter_error},
        {"-help", entry_mode::parameter_error},
        {"-commandx", entry_mode::parameter_error},
        {"--command", entry_mode::parameter_error},
        {"-", entry_mode::parameter_error},
        {dir / "-x", entry_mode::window},
        {"-x", entry_mode::parameter_error},
    };
    for (const auto& c : cases) {
        entry_plan p = plan("vorn1", {c.arg, "index.html"});
        EXPECT_EQ(p.mode, c.mode) << c.arg;
        if (c.mode != entry_mode::window) {
            EXPECT_TRUE(p.file.empty()) << c.arg;
        }
    }
}

// --trust-project goes before the batch switch or after the project file;
// anywhere else, or without a batch switch, it is a parameter error.
TEST(plan_entry, TrustSwitchOnlyBesideABatchRun) {
    scratch_dir dir;
    const std::string project = dir / "p.txt";
    put(project, "<is_single>1</is_single>");
    const struct {
        std::vector<std::string> args;
        entry_mode mode;
        bool trust;
    } cases[] = {
        {{"--trust-project", "-command", project}, entry_mode::batch_build, true},
        {{"--TRUST-PROJECT", "--check", project}, entry_mode::batch_check, true},
        {{"-clear", project, "more", "--trust-project"}, entry_mode::batch_clear, true},
        {{"-command", project}, entry_mode::batch_build, false},
        {{"-command", "--trust-project", project}, entry_mode::parameter_error, false},
        {{"--trust-project"}, entry_mode::parameter_error, true},
        {{"--trust-project", project}, entry_mode::parameter_error, true},
        {{"--trust-project", "--help"}, entry_mode::parameter_error, true},
    };
    for (const auto& c : cases) {
        vtarr list;
        for (const std::string& a : c.args) list.push_back(vtval(std::string_view(a)));
        const entry_plan p = plan_entry("vorn1", list);
        EXPECT_EQ(p.mode, c.mode) << c.args[0] << " " << c.args.size();
        EXPECT_EQ(p.trust_project, c.trust) << c.args[0] << " " << c.args.size();
    }
}

// "--jobs N" anywhere on the line sets the threads of a batch run; a value
// that is no number from 1 to 256 is a parameter error whatever follows.
// "--no-cache" may stand anywhere too.
TEST(plan_entry, JobsTakesANumberOfThreads) {
    scratch_dir dir;
    const std::string project = dir / "p.txt";
    put(project, "<is_single>1</is_single>");
    const struct {
        std::vector<std::string> args;
        entry_mode mode;
        int jobs;
        bool no_cache = false;
    } cases[] = {
        {{"--jobs", "2", "-command", project}, entry_mode::batch_build, 2},
        {{"--no-cache", "--jobs", "2", "-command", project}, entry_mode::batch_build, 2, true},
        {{"-check", project, "--NO-CACHE"}, entry_mode::batch_check, 0, true},
        {{"-check", project, "--JOBS", "256"}, entry_mode::batch_check, 256},
        {{"--trust-project", "--jobs", "1", "-clear", project}, entry_mode::batch_clear, 1},
        {{"-command", project}, entry_mode::batch_build, 0},
        {{"--jobs", "0", "-command", project}, entry_mode::parameter_error, 0},
        {{"--jobs", "257", "-command", project}, entry_mode::parameter_error, 0},
        {{"--jobs", "-2", "-command", project}, entry_mode::parameter_error, 0},
        {{"--jobs", "2x", "-command", project}, entry_mode::parameter_error, 0},
        {{"--jobs", "", "-command", project}, entry_mode::parameter_error, 0},
        {{"-command", project, "--jobs"}, entry_mode::parameter_error, 0},
        {{"--jobs", "-command", project}, entry_mode::parameter_error, 0},
    };
    for (const auto& c : cases) {
        vtarr list;
        for (const std::string& a : c.args) list.push_back(vtval(std::string_view(a)));
        const entry_plan p = plan_entry("vorn1", list);
        EXPECT_EQ(p.mode, c.mode) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(p.jobs, c.jobs) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(p.bad_jobs, c.mode == entry_mode::parameter_error) << c.args[1];
        EXPECT_EQ(p.no_cache, c.no_cache) << c.args[0] << " " << c.args[1];
    }
}
