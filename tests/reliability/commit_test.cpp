// What a build commits: only the files whose bytes change, all of them or
// none. A failing page, a signal or a page the user saved in the middle of
// the build leaves every file as it was and no temporary file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <string>

#include "core/page_size_limit.h"
#include "reliability/generated_site.h"

namespace {

using namespace reliability;

std::string failure(const std::string& message) {
    return "Orvane 1.0b\r\nError occurred: " + message;
}

std::string page_name(int i) {
    return "part" + std::to_string(i % 7) + "/page" + std::to_string(i) + ".html";
}

// Inode and time stamps of every file: what tells a file written anew.
std::map<std::string, std::string> stamps(const site& s) {
    std::map<std::string, std::string> all;
    for (const auto& [name, bytes] : s.files()) {
        struct stat st {};
        lstat(s.file(name).c_str(), &st);
        all[name] = std::to_string(st.st_ino) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                    std::to_string(st.st_mtim.tv_nsec) + " " + std::to_string(st.st_ctim.tv_nsec);
    }
    return all;
}

std::vector<std::string> written(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& now) {
    std::vector<std::string> names;
    for (const auto& [name, stamp] : now)
        if (!before.count(name) || before.at(name) != stamp) names.push_back(name);
    return names;
}

TEST(commit, UnchangedFilesAreNotWritten) {
    site s;
    make_site(s, 40);
    ASSERT_EQ(build(s).out, kDone);
    auto before = stamps(s);
    ASSERT_EQ(build(s).out, kDone);
    EXPECT_EQ(written(before, stamps(s)), std::vector<std::string>{});

    // A heading's new text changes the TOC; the page keeps its anchor and
    // so its bytes.
    std::string page = s.read(page_name(20));
    const size_t at = page.find("</a></h");
    ASSERT_NE(at, std::string::npos);
    s.write(page_name(20), page.insert(at, " edited"));
    before = stamps(s);
    ASSERT_EQ(build(s).out, kDone);
    EXPECT_EQ(written(before, stamps(s)), std::vector<std::string>{"index.html"});

    // Clearing twice: the second run finds nothing to take out.
    ASSERT_EQ(run_vorn1(s.path(), {"-clear", "project.txt"}).exit_code, 0);
    before = stamps(s);
    ASSERT_EQ(run_vorn1(s.path(), {"-clear", "project.txt"}).exit_code, 0);
    EXPECT_EQ(written(before, stamps(s)), std::vector<std::string>{});
}

// Temporary files that a killed run left beside the files a build writes go;
// anything else that looks like one stays, and the report is as usual.
TEST(commit, LeftoversGoOnlyBesideTheFilesTheBuildWrites) {
    site s;
    make_site(s, 10);
    const snapshot after = built_copy(s);
    for (const char* gone :
         {".index.html.AbC123.orvane-tmp", "part3/.page3.html.x9Y8z7.orvane-tmp"})
        s.write(gone, "left by a killed run");
    const std::vector<std::string> kept = {
        ".notes.html.AbC123.orvane-tmp",        // no file of the build
        "part3/.page4.html.AbC123.orvane-tmp",  // page4 lives in part4
        "part3/.page3.html.AbC12.orvane-tmp",   // not six characters
        "part3/.page3.html.AbC123.orvane-tmp~",
    };
    for (const std::string& name : kept) s.write(name, "someone else's");
    std::filesystem::create_directory(s.file("part4/.page4.html.AbC123.orvane-tmp"));
    symlink("page4.html", s.file("part4/.page4.html.Zz0000.orvane-tmp").c_str());

    const run_result r = build(s);
    EXPECT_EQ(r.out, kDone);
    snapshot expected = after;
    for (const std::string& name : kept) expected[name] = "someone else's";
    snapshot now = s.files();
    now.erase("part4/.page4.html.Zz0000.orvane-tmp");
    EXPECT_TRUE(same_files(now, expected));
    EXPECT_TRUE(std::filesystem::is_directory(s.file("part4/.page4.html.AbC123.orvane-tmp")));
    EXPECT_TRUE(std::filesystem::is_symlink(s.file("part4/.page4.html.Zz0000.orvane-tmp")));

    // A page the project lists is no leftover, whatever its name.
    site t;
    const std::string listed = ".a.html.draft1.orvane-tmp";
    t.write("a.html", "<h1>A</h1>");
    t.write(listed, "<h1>Draft</h1>");
    t.write("index.html", "<body><!-- toc --></body>");
    t.project({"a.html", listed}, false, "index.html");
    EXPECT_EQ(build(t).out, kDone);
    EXPECT_NE(t.read(listed).find("Draft</a></h1>"), std::string::npos);
}

// Pages reached through symbolic links (a folder's link, a page's own) are
// read and replaced where the links lead; the links stay links, and a
// rebuild writes nothing.
TEST(commit, PagesThroughLinksAreBuiltWhereTheLinksLead) {
    site s;
    s.write("real/a.html", "<html><body><h1>Alpha</h1></body></html>");
    s.write("real/b-file.html", "<html><body><h1>Beta</h1></body></html>");
    ASSERT_EQ(symlink("real", s.file("linked").c_str()), 0);
    ASSERT_EQ(symlink("b-file.html", s.file("real/b.html").c_str()), 0);
    s.write("index.html", "<html><body><h1>Contents</h1><!-- toc --></body></html>");
    s.project({"linked/a.html", "linked/b.html"}, false, "index.html");
    ASSERT_EQ(build(s).out, kDone);
    for (const char* link : {"linked", "real/b.html"})
        EXPECT_TRUE(std::filesystem::is_symlink(s.file(link))) << link;
    for (const char* page : {"real/a.html", "real/b-file.html"})
        EXPECT_NE(s.read(page).find("velt_link_"), std::string::npos) << page;
    const std::string contents = s.read("index.html");
    EXPECT_NE(contents.find("linked/b.html#"), std::string::npos) << contents;
    const auto before = stamps(s);
    ASSERT_EQ(build(s).out, kDone);
    EXPECT_EQ(written(before, stamps(s)), std::vector<std::string>{});
}

// A signal that comes once the first file is being put in place changes
// nothing: the run finishes, reports and exits 0.
TEST(commit, SignalAfterTheCommitPointDoesNotChangeTheOutcome) {
    site s;
    make_site(s, 20);
    const snapshot after = built_copy(s);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        site t;
        t.copy_from(s);
        const std::string mark = t.file("held");
        const run_result r =
            build(t, {.meanwhile =
                          [&](pid_t child) {
                              ASSERT_TRUE(wait_until([&] { return access(mark.c_str(), 0) == 0; }));
                              kill(child, signal);
                              unlink(mark.c_str());
                          },
                      .env = fault_at("rename", ".html", "hold", mark)});
        EXPECT_EQ(r.exit_code, 0) << signal;
        EXPECT_EQ(r.out, kDone) << signal;
        EXPECT_TRUE(same_files(t.files(), after)) << signal;
    }
}

// The 500th page fails: every file stays byte for byte as it was.
TEST(commit, FailingPageChangesNothing) {
    site s;
    make_site(s, 500);
    const std::string last = page_name(499);
    const struct {
        const char* what;
        std::function<bool(const site&)> spoil;
        std::string report;
        bool as_nobody;
    } cases[] = {
        {"too large",
         [&](const site& t) {
             t.write(last, std::string(page_size_limit, 'x'));
             return true;
         },
         "Page is too large: " + last, false},
        {"a pipe",
         [&](const site& t) {
             std::filesystem::remove(t.file(last));
             return mkfifo(t.file(last).c_str(), 0644) == 0;
         },
         "Can't open source file: " + last, false},
        {"unreadable",
         [&](const site& t) {
             for (const auto& e : std::filesystem::recursive_directory_iterator(t.path()))
                 lchown(e.path().c_str(), 65534, 65534);
             return chown(t.path().c_str(), 65534, 65534) == 0 &&
                    chmod(t.file(last).c_str(), 0) == 0;
         },
         "Can't open source file: " + last, true},
    };
    for (const auto& c : cases) {
        if (c.as_nobody && geteuid() != 0) continue;
        site t;
        t.copy_from(s);
        ASSERT_TRUE(c.spoil(t)) << c.what;
        const snapshot before = t.files();
        const run_result r = build(t, {.as_nobody = c.as_nobody});
        EXPECT_EQ(r.out, failure(c.report)) << c.what;
        EXPECT_EQ(r.exit_code, 1) << c.what;
        EXPECT_TRUE(same_files(t.files(), before)) << c.what;
        EXPECT_TRUE(temporary_files(t.files()).empty()) << c.what;
    }
}

// Page 200 is held locked, so the build waits there with the pages before
// it staged; then the test acts.
class held_build : public ::testing::Test {
  protected:
    void SetUp() override {
        make_site(s, 250);
        after = built_copy(s);
        before = s.files();
        for (int i = 0; first.empty(); ++i)
            if (after.at(page_name(i)) != before.at(page_name(i))) first = page_name(i);
    }
    // Runs a build that waits at page 200 once first is staged, and calls
    // act then.
    run_result build_held(const std::function<void(pid_t)>& act) {
        page_lock held(s.file(page_name(200)));
        return build(s, {.meanwhile = [&](pid_t child) {
                         EXPECT_TRUE(wait_until([&] { return staged(s.file(first)); }));
                         act(child);
                         held.release();
                     }});
    }
    site s;
    snapshot before, after;
    std::string first;  // the first page the build changes
};

TEST_F(held_build, SignalsRemoveStagedFilesAndExitWith128PlusTheSignal) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const run_result r = build_held([&](pid_t child) { kill(child, signal); });
        EXPECT_EQ(r.exit_code, 128 + signal);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(same_files(s.files(), before)) << "signal " << signal;
    }
}

// A page that changes after the build began but before the build reads it
// is taken as it is then: one whose folder was renamed away is missing, as
// if it had never been there, and nothing changes; one saved by rename is
// built with its new bytes.
TEST_F(held_build, PageChangedBeforeItIsReadIsTakenAsItIsThen) {
    const std::string moved = page_name(201);  // in part5, read after page 200
    snapshot expected;
    for (const auto& [name, bytes] : before)
        expected[name.starts_with("part5/") ? "part5-moved/" + name.substr(6) : name] = bytes;
    // Page 198 is staged once page 199 is read: the build waits at page 200.
    const auto at_page_200 = [&] {
        EXPECT_TRUE(wait_until([&] { return staged(s.file(page_name(198))); }));
    };
    run_result r = build_held([&](pid_t) {
        at_page_200();
        std::filesystem::rename(s.file("part5"), s.file("part5-moved"));
    });
    EXPECT_EQ(r.out, failure("Can't open source file: " + moved));
    // Files staged in the folder before it moved stay there (removed by
    // name, they are not found): a later run of the folder removes them.
    snapshot now = s.files();
    for (const std::string& name : temporary_files(now)) now.erase(name);
    EXPECT_TRUE(same_files(now, expected));
    std::filesystem::rename(s.file("part5-moved"), s.file("part5"));

    const std::string saved = page_name(230);
    std::string page = s.read(saved);
    page.insert(page.rfind("</body>"), "<h2>Saved late</h2>");
    r = build_held([&](pid_t) {
        at_page_200();
        s.write("saved.tmp", page);
        std::filesystem::rename(s.file("saved.tmp"), s.file(saved));
    });
    EXPECT_EQ(r.out, kDone);
    EXPECT_NE(s.read("index.html").find("Saved late"), std::string::npos);
    EXPECT_NE(s.read(saved).find("Saved late</a></h2>"), std::string::npos);
}

TEST_F(held_build, PageSavedDuringTheBuildIsNotOverwritten) {
    const std::string page = s.read(first);
    std::string same_size = page;
    same_size[same_size.size() / 2] ^= 1;
    const struct {
        const char* how;
        std::function<void()> save;
        std::string saved;
    } saves[] = {
        // Within the same clock tick as the build read it: only the bytes
        // tell.
        {"in place, same size", [&] { s.write(first, same_size); }, same_size},
        {"renamed over it",
         [&] {
             s.write("saved.tmp", page + "<p>more</p>");
             std::filesystem::rename(s.file("saved.tmp"), s.file(first));
         },
         page + "<p>more</p>"},
    };
    for (const auto& save : saves) {
        s.write(first, page);
        snapshot expected = s.files();
        expected[first] = save.saved;
        const run_result r = build_held([&](pid_t) { save.save(); });
        EXPECT_EQ(r.out, failure("File was changed by another program: " + first)) << save.how;
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_TRUE(same_files(s.files(), expected)) << save.how;
    }
}

}  // namespace
