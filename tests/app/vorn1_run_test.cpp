// Runs the built program as a user would and checks what it writes and how it
// exits.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>
#include <string>

#include "app/vorn1_runner.h"
#include "files/vtfile_test_util.h"
#include "project/toc_project.h"

using file_test::get;
using file_test::put;
using file_test::scratch_dir;
using vorn1_runner::kVorn1;
using vorn1_runner::run;
using vorn1_runner::run_result;

namespace {

const std::string kParameterError =
    "Orvane 1.0b\r\nParameter error.\r\nCommand line syntax is:\r\nvorn1 -command project_filename";

}  // namespace

TEST(vorn1_run, ParameterErrorsReportExactlyAndExitTwo) {
    scratch_dir dir;
    for (const auto& args : std::vector<std::vector<std::string>>{{"-command"},
                                                                  {"-command", dir / "missing.txt"},
                                                                  {"-command", dir.path()},
                                                                  {"-COMMAND", dir / "missing.txt"},
                                                                  {"-clear"}}) {
        run_result r = run(kVorn1, args);
        EXPECT_EQ(r.out, kParameterError) << args[0] << " " << args.size();
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "");
    }
}

// The mode follows the name the program was started by (argv[0]), link or
// copy alike; the executable's own name counts only when argv[0] is empty.
// Any other name says so and exits 2 without building.
TEST(vorn1_run, ModeFollowsTheNameItWasStartedBy) {
    scratch_dir dir;
    const std::string page = "<html><body><h1>One</h1></body></html>";
    put(dir / "page.html", page);
    const std::string project = dir / "project.txt";
    put(project, "<is_single>1</is_single><is_dest_as_source>1</is_dest_as_source><source>" +
                     (dir / "page.html") +
                     "</source><template_file>" ORVANE_SOURCE_DIR
                     "/data/vtdata/nested_list.html</template_file>");
    namespace fs = std::filesystem;
    fs::create_directory(dir / "bin");
    fs::create_symlink(kVorn1, dir / "bin/setup");
    fs::create_symlink(kVorn1, dir / "bin/SeTuP");
    fs::create_symlink(kVorn1, dir / "bin/orvane");
    fs::copy_file(kVorn1, dir / "copy-setup");
    fs::create_directory(dir / "dist");
    fs::copy_file(kVorn1, dir / "dist/setup");
    fs::copy_file(kVorn1, dir / "orvane");
    fs::copy_file(kVorn1, dir / "VORN1");

    enum kind { program, installer, unknown };
    const struct {
        std::string file;
        const char* argv0;  // nullptr: the file's path
        kind expected;
    } cases[] = {
        {dir / "bin/setup", nullptr, installer},
        {dir / "bin/SeTuP", nullptr, installer},
        {dir / "copy-setup", "setup", installer},
        {dir / "VORN1", nullptr, program},
        {dir / "copy-setup", "/usr/bin/vorn1", program},
        {dir / "orvane", nullptr, unknown},
        {dir / "bin/orvane", nullptr, unknown},
        {kVorn1, "orvane", unknown},
        {dir / "bin/setup", "", program},
        {dir / "copy-setup", "", unknown},
        {dir / "dist/setup", "", installer},
    };
    for (const auto& c : cases) {
        const std::string name = c.file + " as " + (c.argv0 ? c.argv0 : "itself");
        run_limits limits;
        limits.argv0 = c.argv0;
        // No display: the installer stops at once, and says so.
        const program_result r =
            run_program(c.file, {"-command", project}, "", {"QT_QPA_PLATFORM="}, limits);
        switch (c.expected) {
            case program:
                EXPECT_EQ(r.status, 0) << name;
                EXPECT_EQ(r.out, "Orvane 1.0b\r\nBuild is complete.\r\n") << name;
                put(dir / "page.html", page);
                break;
            case installer:
                EXPECT_EQ(r.status, 1) << name;
                EXPECT_EQ(r.out, "") << name;
                EXPECT_TRUE(r.err.starts_with("setup: ")) << name << ": " << r.err;
                break;
            case unknown:
                EXPECT_EQ(r.status, 2) << name;
                EXPECT_EQ(r.out, "") << name;
                EXPECT_EQ(r.err,
                          "Unknown program name: this program runs as vorn1, or as setup (the "
                          "installer)\n")
                    << name;
                break;
        }
        EXPECT_EQ(get(dir / "page.html"), page) << name << ": nothing was built";
    }
}

TEST(vorn1_run, UnreadableProjectIsAFailedBatchRun) {
    scratch_dir dir;
    std::string project = dir / "broken.txt";
    put(project, "<is_single>1</is_single>\r\n<source>");
    run_result r = run(kVorn1, {"-command", project});
    EXPECT_TRUE(r.out.starts_with("Orvane 1.0b\r\nError occurred: ")) << r.out;
    EXPECT_EQ(r.status, 1);
}

TEST(vorn1_run, HelpAndVersionNeedNoDisplay) {
    const struct {
        std::string arg;
        std::string starts;
    } cases[] = {{"--version", "Orvane 1.0b\n"},
                 {"--help", "Orvane 1.0b: tables of contents for HTML pages\n"},
                 {"-H", "Orvane 1.0b: tables of contents for HTML pages\n"}};
    for (const auto& c : cases) {
        run_result r = run(kVorn1, {c.arg});
        EXPECT_TRUE(r.out.starts_with(c.starts)) << c.arg << ": " << r.out;
        EXPECT_EQ(r.out.find('\r'), std::string::npos) << "terminal text ends lines in LF";
        EXPECT_EQ(r.status, 0) << c.arg;
        EXPECT_EQ(r.err, "") << c.arg;
    }
    EXPECT_EQ(run(kVorn1, {"--version"}).out, "Orvane 1.0b\n");
}

TEST(vorn1_run, UnknownSwitchIsAParameterError) {
    for (std::string arg : {"--bogus", "-commandx", "-"}) {
        run_result r = run(kVorn1, {arg, "page.html"});
        EXPECT_EQ(r.out, kParameterError) << arg;
        EXPECT_EQ(r.status, 2) << arg;
        EXPECT_EQ(r.err, "") << arg << ": no window was tried";
    }
    run_result r = run(kVorn1, {"--jobs", "many", "-command", "page.html"});
    EXPECT_EQ(r.out,
              "Orvane 1.0b\r\nParameter error: --jobs takes a number of threads from 1 to 256.");
    EXPECT_EQ(r.status, 2);
}

// A mode or a key added must be documented in both places.
TEST(vorn1_run, HelpAndManualNameEveryModeAndProjectKey) {
    scratch_dir dir;
    toc_project project;
    ASSERT_EQ(project.save(dir / "keys.txt"), 0);
    const std::string saved = get(dir / "keys.txt");
    const std::string help = run(kVorn1, {"--help"}).out;
    const std::string manual = get(ORVANE_SOURCE_DIR "/man/vorn1.1");
    const std::regex line_key("<([a-z_]+)>");
    int keys = 0;
    for (std::sregex_iterator it(saved.begin(), saved.end(), line_key), end; it != end; ++it) {
        const std::string key = (*it)[1];
        ++keys;
        EXPECT_NE(help.find(key), std::string::npos) << key << " is not in --help";
        EXPECT_NE(manual.find(key), std::string::npos) << key << " is not in vorn1.1";
    }
    EXPECT_GE(keys, 12);
    for (const std::string mode : {"-command", "-clear", "-check", "--check", "-links", "--links",
                                   "--help", "--version", "--trust-project", "--jobs"}) {
        EXPECT_NE(help.find(mode), std::string::npos) << mode << " is not in --help";
        // roff writes each hyphen as "\-".
        const std::string roff = std::regex_replace(mode, std::regex("-"), "\\-");
        EXPECT_NE(manual.find(roff), std::string::npos) << mode << " is not in vorn1.1";
    }
}
