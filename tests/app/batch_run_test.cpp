// Batch runs of the built program over small projects: the exact report, the
// exit code, and what is left on disk when a write fails.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/vorn1_runner.h"
#include "files/vtfile_test_util.h"
#include "support/run_program.h"

using file_test::entry_count;
using file_test::get;
using file_test::put;
using file_test::scratch_dir;
using vorn1_runner::kVorn1;
using vorn1_runner::run;
using vorn1_runner::run_result;

namespace {

const std::string kTemplate = ORVANE_SOURCE_DIR "/data/vtdata/nested_list.html";

// A single-file project: source page.html, TOC into toc.html.
std::string single_project(const scratch_dir& dir) {
    std::string project = dir / "project.txt";
    put(project, "<destination>" + (dir / "toc.html") +
                     "</destination>\r\n<is_single>1</is_single>\r\n"
                     "<is_dest_as_source>0</is_dest_as_source>\r\n<range_from>1</range_from>\r\n"
                     "<range_to>3</range_to>\r\n<source>" +
                     (dir / "page.html") + "</source>\r\n<template_file>" + kTemplate +
                     "</template_file>\r\n");
    return project;
}

std::string page(int headings) {
    std::string html = "<html><body>\r\n";
    for (int i = 0; i < headings; ++i)
        html += "<h2>Heading number " + std::to_string(i) + "</h2>\r\n<p>Some text.</p>\r\n";
    return html + "</body></html>\r\n";
}

}  // namespace

TEST(batch_run, BuildAndClearReportExactly) {
    scratch_dir dir;
    put(dir / "page.html", page(3));
    std::string project = single_project(dir);
    for (int round = 0; round < 2; ++round) {
        run_result r = run(kVorn1, {"-command", project});
        EXPECT_EQ(r.out, "Orvane 1.0b\r\nBuild is complete.\r\n");
        EXPECT_EQ(r.status, 0);
    }
    std::string toc = get(dir / "toc.html");
    EXPECT_NE(toc.find("Heading number 2"), std::string::npos);
    EXPECT_EQ(entry_count(dir.path()), 3) << "no temporary file is left";

    run_result r = run(kVorn1, {"-CLEAR", project});
    EXPECT_EQ(r.out, "Orvane 1.0b\r\nClearance is done\r\n");
    EXPECT_EQ(r.status, 0);
}

TEST(batch_run, ProjectAndValidationErrorsExitOne) {
    scratch_dir dir;
    put(dir / "page.html", page(2));
    put(dir / "open.txt", "<is_single>1</is_single>\r\n<source>" + (dir / "page.html"));
    run_result r = run(kVorn1, {"-command", dir / "open.txt"});
    EXPECT_TRUE(r.out.starts_with("Orvane 1.0b\r\nError occurred: ")) << r.out;
    EXPECT_GT(r.out.size(), std::string("Orvane 1.0b\r\nError occurred: ").size());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(get(dir / "page.html"), page(2));

    put(dir / "multi.txt", "<is_single>0</is_single>\r\n<source>" + (dir / "page.html") +
                               "</source>\r\n<destination></destination>\r\n");
    r = run(kVorn1, {"-command", dir / "multi.txt"});
    EXPECT_EQ(r.out, "Orvane 1.0b\r\nError occurred: Destination file must be specified");
    EXPECT_EQ(r.status, 1);
}

// A project moved with its site builds wherever it is run from when it says
// relative_to = project; without the key relative paths stay the current
// folder's, as scripts expect.
TEST(batch_run, RelativePathsFromTheProjectFolderWhenTheProjectSaysSo) {
    scratch_dir dir;
    put(dir / "a.html", page(2));
    put(dir / "index.html", "<html><body><!-- toc --></body></html>");
    const std::string site =
        "<is_single>0</is_single>\r\n<source>a.html</source>\r\n"
        "<destination>index.html</destination>\r\n<template_file>" +
        kTemplate + "</template_file>\r\n";
    put(dir / "old.txt", site);
    put(dir / "moved.txt", site + "<relative_to>project</relative_to>\r\n");
    run_result r = run(kVorn1, {"-command", dir / "old.txt"});  // from the test's folder
    EXPECT_EQ(r.out, "Orvane 1.0b\r\nError occurred: File doesn't exist: a.html");
    EXPECT_EQ(r.status, 1);
    r = run(kVorn1, {"-command", dir / "moved.txt"});
    EXPECT_EQ(r.out, "Orvane 1.0b\r\nBuild is complete.\r\n");
    EXPECT_NE(get(dir / "index.html").find("a.html#"), std::string::npos);
}

TEST(batch_run, FullDiskLeavesTheOldFileWhole) {
    scratch_dir dir;
    put(dir / "page.html", page(400));
    put(dir / "toc.html", "previous TOC page");
    std::string project = single_project(dir);
    // The TOC page is far larger than 8 KiB, so its write fails part way.
    run_result r = run(kVorn1, {"-command", project}, 8192);
    EXPECT_EQ(r.out,
              "Orvane 1.0b\r\nError occurred: Can't open file for writing: " + (dir / "toc.html"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(get(dir / "toc.html"), "previous TOC page");
    EXPECT_EQ(entry_count(dir.path()), 3) << "the temporary file was removed";
}

TEST(batch_run, UnwritableDestinationIsReportedAndKept) {
    scratch_dir dir;
    put(dir / "page.html", page(2));
    put(dir / "toc.html", "kept");
    chmod((dir / "toc.html").c_str(), 0444);
    std::string project = single_project(dir);
    run_result r = run(kVorn1, {"-command", project}, -1, true);
    if (r.status == 126) GTEST_SKIP() << "cannot drop privileges";
    EXPECT_EQ(r.out,
              "Orvane 1.0b\r\nError occurred: Can't open file for writing: " + (dir / "toc.html"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(get(dir / "toc.html"), "kept");
    EXPECT_EQ(entry_count(dir.path()), 3);
}

// A check runs the whole build and writes nothing, so it answers on a site
// it may not write; it lists the files a build would change and tells "out
// of date" (1) from "broken" (2).
TEST(batch_run, CheckListsWhatABuildWouldChangeAndWritesNothing) {
    scratch_dir dir;
    put(dir / "a.html", page(2));
    put(dir / "b.html", "<html><body><p>No headings.</p></body></html>");
    put(dir / "index.html", "<html><body><!-- toc --></body></html>");
    const std::string project = dir / "site.txt";
    put(project, "<is_single>0</is_single>\r\n<source>" + (dir / "a.html") +
                     "</source>\r\n<source>" + (dir / "b.html") + "</source>\r\n<destination>" +
                     (dir / "index.html") + "</destination>\r\n<template_file>" + kTemplate +
                     "</template_file>\r\n");
    const std::string a = get(dir / "a.html");
    for (const char* file : {"a.html", "b.html", "index.html", "site.txt"})
        chmod((dir / file).c_str(), 0444);
    chmod(dir.path().c_str(), 0555);
    run_result r = run(kVorn1, {"-check", project}, -1, true);
    chmod(dir.path().c_str(), 0777);
    if (r.status == 126) GTEST_SKIP() << "cannot drop privileges";
    EXPECT_EQ(r.out, "Orvane 1.0b\r\n" + (dir / "a.html") + "\r\n" + (dir / "index.html") +
                         "\r\n2 file(s) would change.\r\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(get(dir / "a.html"), a);
    EXPECT_EQ(entry_count(dir.path()), 4) << "not even a temporary file";

    for (const char* file : {"a.html", "b.html", "index.html"}) chmod((dir / file).c_str(), 0644);
    ASSERT_EQ(run(kVorn1, {"-command", project}).status, 0);
    r = run(kVorn1, {"--check", project});
    EXPECT_EQ(r.out, "Orvane 1.0b\r\nTOC is up to date.\r\n");
    EXPECT_EQ(r.status, 0);

    put(dir / "b.html", "<html><body><h1>Now with a heading</h1></body></html>");
    r = run(kVorn1, {"-CHECK", project});
    EXPECT_EQ(r.out, "Orvane 1.0b\r\n" + (dir / "b.html") + "\r\n" + (dir / "index.html") +
                         "\r\n2 file(s) would change.\r\n");

    std::filesystem::remove(dir / "b.html");
    r = run(kVorn1, {"-check", project});
    EXPECT_EQ(r.out, "Orvane 1.0b\r\nError occurred: File doesn't exist: " + (dir / "b.html"));
    EXPECT_EQ(r.status, 2);
}

// Patterns count from the current folder, as source entries do; their pages
// come in natural order, each once, and a build, a check and a clearing run
// see the same pages.
TEST(batch_run, PatternsNameThePagesOfASite) {
    scratch_dir dir;
    std::filesystem::create_directories(dir / "ch/more");
    const struct {
        const char* name;
        const char* heading;
    } pages[] = {{"index.html", "Home"},
                 {"ch/10.html", "Ten"},
                 {"ch/2.html", "Two"},
                 {"ch/caf\xe9 au lait.html", "Coffee"},
                 {"ch/more/1.html", "Deeper"}};
    for (const auto& p : pages)
        put(dir / p.name, std::string("<html><body><h1>") + p.heading + "</h1></body></html>");
    put(dir / "site.txt",
        "<is_single>0</is_single>\r\n<destination>index.html</destination>\r\n"
        "<process_numbering>0</process_numbering>\r\n<source>index.html</"
        "source>\r\n<source_glob>ch/*.html</source_glob>\r\n"
        "<source_glob>**/*.html</source_glob>\r\n<template_file>" +
            kTemplate + "</template_file>\r\n");
    run_result r = run_program(kVorn1, {"-command", "site.txt"}, dir.path());
    ASSERT_EQ(r.out, "Orvane 1.0b\r\nBuild is complete.\r\n");
    const std::string toc = get(dir / "index.html");
    size_t at = 0;
    for (const char* heading : {"Home", "Two", "Ten", "Coffee", "Deeper"}) {
        const size_t found = toc.find(std::string(">") + heading + "</a>", at);
        ASSERT_NE(found, std::string::npos) << heading << " in order in:\n" << toc;
        at = found + 1;
    }
    size_t entries = 0;
    for (size_t li = toc.find("<li>"); li != std::string::npos; li = toc.find("<li>", li + 1))
        ++entries;
    EXPECT_EQ(entries, 5u) << "each page once";
    r = run_program(kVorn1, {"-check", "site.txt"}, dir.path());
    EXPECT_EQ(r.out, "Orvane 1.0b\r\nTOC is up to date.\r\n");

    put(dir / "site.txt", get(dir / "site.txt") + "<source_glob>gone/*.html</source_glob>\r\n");
    for (const char* mode : {"-command", "-clear", "-check"}) {
        r = run_program(kVorn1, {mode, "site.txt"}, dir.path());
        EXPECT_EQ(r.out, "Orvane 1.0b\r\nError occurred: No file matches pattern: gone/*.html")
            << mode;
        EXPECT_NE(r.status, 0);
    }
    EXPECT_EQ(get(dir / "index.html"), toc);
}

// The check list shows names as the progress line does: one line each, no
// byte that a terminal or a reader of the list would act on.
TEST(batch_run, CheckListShowsOddNamesOnOneLineEach) {
    scratch_dir dir;
    const std::string names[] = {"line\nfeed.html", "esc\x1b[2J.html", "c1\xC2\x9B.html",
                                 "rlo\xE2\x80\xAE.html", "\xE6\x97\xA5.html"};
    std::string sources;
    for (const std::string& name : names) {
        put(dir / name, page(1));
        sources += "<source>" + name + "</source>";
    }
    put(dir / "index.html", "<html><body></body></html>");
    put(dir / "site.txt", "<is_single>0</is_single><destination>index.html</destination>" +
                              sources + "<template_file>" + kTemplate + "</template_file>");
    const program_result r = run_program(kVorn1, {"-check", "site.txt"}, dir.path());
    EXPECT_EQ(r.out,
              "Orvane 1.0b\r\nline?feed.html\r\nesc?[2J.html\r\nc1?.html\r\nrlo?.html\r\n"
              "\xE6\x97\xA5.html\r\nindex.html\r\n6 file(s) would change.\r\n");
    EXPECT_EQ(r.status, 1);
}

// Run as root, a project is taken only from a file of root's own that
// nobody else may write (a project can name any file to read into a page,
// and any file to write): anything else is refused by a build, a clearing
// run and a check alike, naming the file, unless --trust-project is given.
TEST(batch_run, RootTakesOnlyProjectFilesNobodyElseControls) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root";
    scratch_dir dir;
    put(dir / "page.html", page(2));
    const std::string project = single_project(dir);
    const std::string link = dir / "link.txt";
    std::filesystem::create_symlink(project, link);
    // user::rw- user:nobody:rw- group::r-- mask::rw- other::r--
    const std::string acl(
        "\x02\0\0\0\x01\0\x06\0\xff\xff\xff\xff\x02\0\x06\0\xfe\xff\0\0"
        "\x04\0\x04\0\xff\xff\xff\xff\x10\0\x06\0\xff\xff\xff\xff\x20\0\x04\0\xff\xff\xff\xff",
        44);
    const std::string foreign = "Project file of another user (--trust-project runs it as root): ";
    const std::string writable =
        "Project file that others may write (--trust-project runs it as root): ";
    const struct {
        const char* what;
        uid_t owner;
        mode_t mode;
        bool with_acl;
        std::string name, run_switch, refusal;
    } cases[] = {
        {"root's own", 0, 0644, false, project, "-command", ""},
        {"read-only for root too", 0, 0400, false, project, "-check", ""},
        {"another user's", 65534, 0644, false, project, "-command", foreign},
        {"another user's, through root's link", 65534, 0644, false, link, "-check", foreign},
        {"group-writable", 0, 0664, false, project, "-clear", writable},
        {"world-writable", 0, 0606, false, project, "-check", writable},
        {"writable by a user through its ACL", 0, 0644, true, project, "-command", writable},
    };
    for (const auto& c : cases) {
        single_project(dir);
        ASSERT_EQ(chown(project.c_str(), c.owner, 0), 0);
        ASSERT_EQ(chmod(project.c_str(), c.mode), 0);
        if (c.with_acl &&
            setxattr(project.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0) {
            continue;  // no ACLs on this file system
        }
        const std::string before = get(dir / "page.html");
        const run_result r = run(kVorn1, {c.run_switch, c.name});
        if (c.refusal.empty()) {
            EXPECT_EQ(r.out.find("Error"), std::string::npos) << c.what << ": " << r.out;
            continue;
        }
        EXPECT_EQ(r.out, "Orvane 1.0b\r\nError occurred: " + c.refusal + c.name) << c.what;
        EXPECT_EQ(r.status, c.run_switch == "-check" ? 2 : 1) << c.what;
        EXPECT_EQ(get(dir / "page.html"), before) << c.what << ": nothing was built";
        std::filesystem::remove(project);
    }
    // The switch before the batch switch or after the project file.
    single_project(dir);
    ASSERT_EQ(chown(project.c_str(), 65534, 0), 0);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--trust-project", "-command", project}, {"-clear", project, "--TRUST-PROJECT"}}) {
        const run_result r = run(kVorn1, args);
        EXPECT_EQ(r.status, 0) << args[0] << ": " << r.out;
    }
}
