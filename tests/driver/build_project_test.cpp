#include "driver/build_project.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/page_size_limit.h"
#include "driver/clear_project.h"
#include "files/vtfile.h"
#include "project/toc_project.h"
#include "support/temp_folder.h"

namespace {

struct recorder {
    std::vector<int> seen;
    static void note(int percent, void* self) {
        static_cast<recorder*>(self)->seen.push_back(percent);
    }
};

toc_project multi(const temp_folder& dir, std::initializer_list<std::string> sources,
                  const std::string& dest) {
    toc_project p;
    p.is_single = vtval(0);
    p.source.clear();
    for (const std::string& s : sources) p.source.push_back(vtval(dir.file(s)));
    p.destination = vtval(dir.file(dest));
    p.template_file = vtval(
        dir.write("t.tpl", "[<!--#for var=\"item\"--><!--#echo var=\"text\"-->;<!--#endfor-->]"));
    p.process_numbering = vtval(0);
    return p;
}

}  // namespace

TEST(build_project, UnreadableExistingDestinationIsNotOverwritten) {
    temp_folder dir;
    dir.write("a.html", "<h1>A</h1>");
    std::string huge(page_size_limit, 'x');
    dir.write("index.html", huge);
    toc_project p = multi(dir, {"a.html"}, "index.html");
    EXPECT_EQ(build_project(p, nullptr, nullptr), 1);
    EXPECT_EQ(p.error_message, "Page is too large: " + dir.file("index.html"));
    EXPECT_EQ(dir.read("index.html"), huge);
}

TEST(build_project, DestinationAmongSourcesLinksWithinThePage) {
    temp_folder dir;
    dir.write("a.html", "<body><h1>A</h1></body>");
    dir.write("index.html", "<body><!-- toc --><h1>Home</h1></body>");
    toc_project p = multi(dir, {"index.html", "a.html"}, "index.html");
    ASSERT_EQ(build_project(p, nullptr, nullptr), 0) << p.error_message.str();
    std::string index = dir.read("index.html");
    EXPECT_NE(index.find("<!-- toc --><!--VELT_HTML_TOC_START-->"), std::string::npos);
    EXPECT_NE(index.find("[Home;A;]"), std::string::npos);
    EXPECT_NE(index.find("<h1><a name=\"velt_link_1_"), std::string::npos);
}

// A check sees the destination it reads after rewriting it as a source just
// as the build does, and writes nothing.
TEST(build_project, CheckListsTheFilesABuildChangesOnce) {
    temp_folder dir;
    dir.write("a.html", "<body><h1>A</h1></body>");
    dir.write("index.html", "<body><!-- toc --><h1>Home</h1></body>");
    dir.write("same.html", "<body><p>Nothing to do.</p></body>");
    toc_project p = multi(dir, {"index.html", "a.html", "same.html"}, "index.html");
    std::vector<std::string> changed;
    ASSERT_EQ(check_project(p, changed), 0) << p.error_message.str();
    EXPECT_EQ(changed, (std::vector<std::string>{dir.file("index.html"), dir.file("a.html")}));
    EXPECT_EQ(dir.read("index.html"), "<body><!-- toc --><h1>Home</h1></body>");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4);

    ASSERT_EQ(build_project(p, nullptr, nullptr), 0) << p.error_message.str();
    changed.clear();
    ASSERT_EQ(check_project(p, changed), 0);
    EXPECT_TRUE(changed.empty()) << changed.front();
}

TEST(build_project, ProgressOfOneFileAndOfASite) {
    temp_folder dir;
    dir.write("a.html", "<body><h1>A</h1></body>");
    toc_project single;
    single.source.clear();
    single.source.push_back(vtval(dir.file("a.html")));
    single.template_file = vtval(dir.write("t.tpl", "x"));
    recorder r;
    ASSERT_EQ(build_project(single, recorder::note, &r), 0);
    // Reading reports 0..100 scaled by 0.38, then 41, 82 and 100.
    ASSERT_GE(r.seen.size(), 4u);
    EXPECT_EQ(std::vector<int>(r.seen.end() - 4, r.seen.end()),
              (std::vector<int>{38, 41, 82, 100}));

    dir.write("b.html", "");
    toc_project empty_sources = multi(dir, {"b.html"}, "index.html");
    recorder e;
    ASSERT_EQ(build_project(empty_sources, recorder::note, &e), 0);
    EXPECT_EQ(e.seen, (std::vector<int>{100}));  // nothing to weigh: only the final 100

    dir.write("c.html", "<body><h1>C</h1></body>");
    toc_project site = multi(dir, {"a.html", "c.html"}, "index.html");
    recorder s;
    ASSERT_EQ(build_project(site, recorder::note, &s), 0);
    for (size_t i = 1; i < s.seen.size(); ++i) EXPECT_LE(s.seen[i - 1], s.seen[i]);
    EXPECT_EQ(s.seen.back(), 100);
}

// Many small pages: each page's share is far below one percent, yet the
// percentage follows the pages done instead of waiting for the end.
TEST(build_project, ProgressFollowsTheShareOfManySmallPages) {
    temp_folder dir;
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) {
        names.push_back("p" + std::to_string(i) + ".html");
        dir.write(names.back(), "<body><h1>Page</h1><p>text</p></body>");
    }
    toc_project site = multi(dir, {}, "index.html");
    for (const std::string& name : names) site.source.push_back(vtval(dir.file(name)));
    // The bar never goes back, shows every percentage below shown_below
    // (the pages' share) and ends at 100.
    auto expect_steady = [](const recorder& r, int shown_below) {
        for (size_t i = 1; i < r.seen.size(); ++i) ASSERT_LE(r.seen[i - 1], r.seen[i]) << i;
        EXPECT_EQ(r.seen.back(), 100);
        for (int percent = 0; percent < shown_below; ++percent)
            EXPECT_NE(std::find(r.seen.begin(), r.seen.end(), percent), r.seen.end()) << percent;
    };
    recorder built;
    ASSERT_EQ(build_project(site, recorder::note, &built), 0);
    expect_steady(built, 80);  // the pages take 80 % of a build
    recorder cleared;
    ASSERT_EQ(clear_project(site, recorder::note, &cleared), 0);
    expect_steady(cleared, 95);  // and 95 % of a clearing run
}

TEST(build_project, SingleFileFailures) {
    temp_folder dir;
    toc_project p;
    p.source.clear();
    p.source.push_back(vtval(dir.file("none.html")));
    EXPECT_EQ(build_project(p, nullptr, nullptr), 1);
    EXPECT_EQ(p.error_message, "Can't open source file: " + dir.file("none.html"));
    dir.write("a.html", "<h1>A</h1>");
    p.source.clear();
    p.source.push_back(vtval(dir.file("a.html")));
    p.is_dest_as_source = vtval(0);
    EXPECT_EQ(build_project(p, nullptr, nullptr), 1);
    EXPECT_EQ(p.error_message, "Can't open file for writing: ");
    // A missing template fails the build and leaves the page as it was.
    p.is_dest_as_source = vtval(1);
    p.template_file = vtval(dir.file("missing.tpl"));
    EXPECT_EQ(build_project(p, nullptr, nullptr), 1);
    EXPECT_EQ(p.error_message, "Can't open template file: " + dir.file("missing.tpl"));
    EXPECT_EQ(dir.read("a.html"), "<h1>A</h1>");
}

TEST(build_project, LinksBetweenMixedSpellingsOfPaths) {
    // An absolute destination with relative sources, and paths that climb
    // out and back in, link as plainly as same-folder paths.
    temp_folder dir;
    std::filesystem::create_directories(dir.file("a"));
    std::filesystem::create_directories(dir.file("b"));
    dir.write("b/p.html", "<h1>P</h1>");
    dir.write("b/index.html", "<body></body>");
    const std::string old_folder(vtfile_current_folder().view());
    ASSERT_TRUE(vtfile_set_current_folder(dir.path()));
    for (const std::string& destination :
         {dir.file("b/index.html"), std::string("a/../b/index.html")}) {
        toc_project p;
        p.is_single = vtval(0);
        p.source.clear();
        p.source.push_back(vtval("./b/p.html"));
        p.destination = vtval(destination);
        p.template_file = vtval(dir.write("t.tpl", "<!--#echo var=\"link\"-->"));
        EXPECT_EQ(build_project(p, nullptr, nullptr), 0) << p.error_message.str();
        EXPECT_NE(dir.read("b/index.html").find("\np.html#velt_link_1_"), std::string::npos)
            << destination << ": " << dir.read("b/index.html");
    }
    vtfile_set_current_folder(old_folder);
}
