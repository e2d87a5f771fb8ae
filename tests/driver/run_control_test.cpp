// What a caller controls of a run besides its project: stopping it from
// another thread, the pages it is told about, and the source lists it
// refuses before anything is written.
#include <dirent.h>
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "driver/build_project.h"
#include "driver/clear_project.h"
#include "project/toc_project.h"
#include "support/temp_folder.h"

namespace {

// A site of pages p0.html .. p<n-1>.html and index.html, each page a heading.
toc_project site(const temp_folder& dir, int pages) {
    toc_project p;
    p.is_single = vtval(0);
    p.source.clear();
    for (int i = 0; i < pages; ++i) {
        const std::string name = "p" + std::to_string(i) + ".html";
        dir.write(name, "<body><h1>Page " + std::to_string(i) + "</h1></body>");
        p.source.push_back(vtval(dir.file(name)));
    }
    p.destination = vtval(dir.write("index.html", "<body><!-- toc --></body>"));
    p.template_file = vtval(
        dir.write("t.tpl", "<!--#for var=\"item\"--><!--#echo var=\"text\"-->;<!--#endfor-->"));
    return p;
}

// Every file of the folder with its bytes.
std::map<std::string, std::string> snapshot(const temp_folder& dir) {
    std::map<std::string, std::string> files;
    DIR* d = opendir(dir.path().c_str());
    while (const dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") files[name] = dir.read(name);
    }
    closedir(d);
    return files;
}

// Sets the run's stop flag when the page named by stop_at begins (an empty
// name: when the run begins to put its files in place), and records the
// pages it was told about.
struct stopper {
    std::atomic<bool> cancel{false};
    std::string stop_at;
    std::vector<std::string> pages;
    static void on_page(std::string_view path, void* self) {
        auto* s = static_cast<stopper*>(self);
        s->pages.emplace_back(path);
        if (path.ends_with(s->stop_at) && (path.empty() == s->stop_at.empty())) s->cancel = true;
    }
};

}  // namespace

// A run stopped between pages fails like any other before its commit: no
// file changes and no temporary file stays, whether it is a build or a
// clearing run, early or at its last page. Stopped once its files are being
// put in place, it finishes.
TEST(run_control, StoppedRunChangesNoFileAndLeavesNoTemporaryFile) {
    temp_folder dir;
    toc_project project = site(dir, 300);
    const auto before = snapshot(dir);
    for (const char* stop_at : {"/p1.html", "/p299.html", "/index.html"}) {
        stopper s;
        s.stop_at = stop_at;
        EXPECT_NE(build_project(project, nullptr, &s, &stopper::on_page, &s.cancel), 0) << stop_at;
        EXPECT_EQ(project.error_message, "Build cancelled.") << stop_at;
        EXPECT_EQ(snapshot(dir), before) << stop_at;
    }

    stopper late;
    late.stop_at = "";
    ASSERT_EQ(build_project(project, nullptr, &late, &stopper::on_page, &late.cancel), 0)
        << project.error_message.str();
    const auto built = snapshot(dir);
    EXPECT_NE(built, before);
    EXPECT_EQ(built.size(), before.size());  // no temporary file
    // Every page was told once, the destination after them, then the last
    // phase as an empty name.
    ASSERT_EQ(late.pages.size(), 302u);
    EXPECT_EQ(late.pages[300], dir.file("index.html"));
    EXPECT_EQ(late.pages.back(), "");

    stopper clearing;
    clearing.stop_at = "/p150.html";
    EXPECT_EQ(clear_project(project, nullptr, &clearing, &stopper::on_page, &clearing.cancel), 1);
    EXPECT_EQ(project.error_message, "Clearing cancelled.");
    EXPECT_EQ(snapshot(dir), built);
}

// A check writes nothing, so it has no last phase to announce.
TEST(run_control, CheckAnnouncesItsPagesOnly) {
    temp_folder dir;
    toc_project project = site(dir, 2);
    stopper s;
    std::vector<std::string> changed;
    ASSERT_EQ(check_project(project, changed, nullptr, &s, &stopper::on_page), 0);
    EXPECT_EQ(s.pages, (std::vector<std::string>{dir.file("p0.html"), dir.file("p1.html"),
                                                 dir.file("index.html")}));
}

// A page listed twice would be numbered twice; however it is spelt, the run
// names the second entry and writes nothing.
TEST(run_control, DuplicateSourceIsRefusedBeforeAnythingIsWritten) {
    temp_folder dir;
    toc_project base = site(dir, 2);
    const auto before = snapshot(dir);
    const std::string p0 = dir.file("p0.html");
    for (const std::string& second : {p0, dir.path() + "/./p0.html", dir.path() + "//p0.html",
                                      dir.path() + "/sub/../p0.html"}) {
        ASSERT_EQ(::system(("mkdir -p " + dir.file("sub")).c_str()), 0);
        toc_project p = base;
        p.source.push_back(vtval(second));
        EXPECT_EQ(build_project(p, nullptr, nullptr), 1) << second;
        EXPECT_EQ(p.error_message, "Source file is listed twice: " + second);
        EXPECT_EQ(clear_project(p, nullptr, nullptr), 1) << second;
        EXPECT_EQ(p.error_message, "Source file is listed twice: " + second);
        ::rmdir(dir.file("sub").c_str());
        EXPECT_EQ(snapshot(dir), before) << second;
    }
}

TEST(run_control, SingleFileWithoutItsPageSaysSo) {
    toc_project p;  // a new project: one empty source
    EXPECT_EQ(build_project(p, nullptr, nullptr), 1);
    EXPECT_EQ(p.error_message, "Source file must be specified");
    EXPECT_EQ(clear_project(p, nullptr, nullptr), 1);
    EXPECT_EQ(p.error_message, "Source file must be specified");
}
