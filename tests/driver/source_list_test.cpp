#include "driver/source_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/build_project.h"
#include "driver/clear_project.h"
#include "project/toc_project.h"
#include "support/temp_folder.h"

namespace {

// A line of a source list: a page, or a pattern ("~" in front).
toc_project project_of(const temp_folder& dir, std::initializer_list<std::string> lines) {
    toc_project p;
    p.is_single = vtval(0);
    p.process_numbering = vtval(0);
    p.source.clear();
    for (const std::string& line : lines) {
        if (line.starts_with('~'))
            p.add_source_pattern(dir.file(line.substr(1)));
        else
            p.source.push_back(vtval(dir.file(line)));
    }
    return p;
}

}  // namespace

TEST(source_list, EachPageIsListedOnceWhereItFirstComes) {
    temp_folder dir;
    std::filesystem::create_directory(dir.file("sub"));
    for (const char* page : {"a.html", "b.html", "c.html", "sub/d.html"}) dir.write(page, "");
    const struct {
        std::initializer_list<std::string> lines;
        std::vector<std::string> pages;
        std::string error;  // after the folder's path
    } cases[] = {
        {{"~*.html", "b.html"}, {"a.html", "b.html", "c.html"}, ""},
        {{"b.html", "~*.html"}, {"b.html", "a.html", "c.html"}, ""},
        // Another spelling of a listed page is the same page.
        {{"sub/../a.html", "~*.html"}, {"sub/../a.html", "b.html", "c.html"}, ""},
        {{"~[ab].html", "~**/*.html"}, {"a.html", "b.html", "c.html", "sub/d.html"}, ""},
        // Entries that repeat each other are left for the check of duplicates.
        {{"a.html", "a.html"}, {"a.html", "a.html"}, ""},
        {{"~*.xyz", "~*.html"}, {"a.html", "b.html", "c.html"}, "No file matches pattern: "},
        {{"~[a.html"}, {}, "Unclosed [ in pattern: "},
    };
    for (const auto& c : cases) {
        const toc_project p = project_of(dir, c.lines);
        vtstring error;
        std::vector<std::string> want;
        for (const std::string& page : c.pages) want.push_back(dir.file(page));
        EXPECT_EQ(expanded_sources(p, error), want) << *c.lines.begin();
        const std::string first = dir.file(c.lines.begin()->substr(1));
        EXPECT_EQ(error.str(), c.error.empty() ? "" : c.error + first);
    }
    // The window shows each pattern's pages beside it.
    const std::vector<listed_source> lines = list_sources(project_of(dir, {"b.html", "~*.html"}));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_FALSE(lines[0].is_pattern);
    EXPECT_TRUE(lines[1].is_pattern);
    EXPECT_EQ(lines[1].line, dir.file("*.html"));
    EXPECT_EQ(lines[1].pages, (std::vector<std::string>{dir.file("a.html"), dir.file("c.html")}));
}

// Build, check and clearing run see the same list; a pattern that names no
// page stops each of them before any page is read.
TEST(source_list, EveryRunSeesThePatternsPages) {
    temp_folder dir;
    std::filesystem::create_directory(dir.file("ch"));
    dir.write("ch/10.html", "<h1>Ten</h1>");
    dir.write("ch/2.html", "<h1>Two</h1>");
    dir.write("index.html", "<h1>Home</h1>");
    toc_project p = project_of(dir, {"index.html", "~ch/*.html", "~none/*.html"});
    p.destination = vtval(dir.file("toc.html"));
    p.template_file = vtval(
        dir.write("t.tpl", "[<!--#for var=\"item\"--><!--#echo var=\"text\"-->;<!--#endfor-->]"));
    const std::string missing = "No file matches pattern: " + dir.file("none/*.html");
    std::vector<std::string> changed;
    EXPECT_EQ(check_project(p, changed), 1);
    EXPECT_EQ(p.error_message.str(), missing);
    EXPECT_EQ(build_project(p, nullptr, nullptr), 1);
    EXPECT_EQ(p.error_message.str(), missing);
    EXPECT_EQ(clear_project(p, nullptr, nullptr), 1);
    EXPECT_EQ(p.error_message.str(), missing);
    EXPECT_EQ(dir.read("ch/2.html"), "<h1>Two</h1>");
    EXPECT_FALSE(std::filesystem::exists(dir.file("toc.html")));

    p.source_glob.pop_back();
    ASSERT_EQ(check_project(p, changed), 0) << p.error_message.str();
    EXPECT_EQ(changed, (std::vector<std::string>{dir.file("index.html"), dir.file("ch/2.html"),
                                                 dir.file("ch/10.html"), dir.file("toc.html")}));
    ASSERT_EQ(build_project(p, nullptr, nullptr), 0) << p.error_message.str();
    EXPECT_NE(dir.read("toc.html").find("[Home;Two;Ten;]"), std::string::npos);
    ASSERT_EQ(clear_project(p, nullptr, nullptr), 0) << p.error_message.str();
    EXPECT_EQ(dir.read("ch/10.html"), "<h1>Ten</h1>");

    // A single-file project takes the first page of its list.
    toc_project single;
    single.source.clear();
    single.add_source_pattern(dir.file("ch/*.html"));
    single.normalize(true);
    single.template_file = p.template_file;
    single.process_numbering = vtval(0);
    ASSERT_EQ(build_project(single, nullptr, nullptr), 0) << single.error_message.str();
    EXPECT_NE(dir.read("ch/2.html").find("[Two;]"), std::string::npos);
    EXPECT_EQ(dir.read("ch/10.html"), "<h1>Ten</h1>");
}
