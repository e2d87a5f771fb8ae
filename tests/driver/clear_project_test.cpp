#include "driver/clear_project.h"

#include <gtest/gtest.h>

#include <string>

#include "core/page_size_limit.h"
#include "project/toc_project.h"
#include "support/temp_folder.h"

namespace {

toc_project multi_project(const temp_folder& dir, std::initializer_list<std::string> sources,
                          const std::string& destination) {
    toc_project p;
    p.is_single = vtval(0);
    p.source.clear();
    for (const std::string& s : sources) p.source.push_back(vtval(dir.file(s)));
    p.destination = vtval(dir.file(destination));
    p.process_numbering = vtval(0);
    return p;
}

const char built[] =
    "<body><!--VELT_HTML_TOC_START-->old<!--VELT_HTML_TOC_END-->"
    "<h1><a name=\"velt_link_1_5\">A</a></h1></body>";
const char clean[] = "<body><h1>A</h1></body>";

}  // namespace

TEST(clear_project, FailingPageLeavesEveryPageAsItWas) {
    temp_folder dir;
    dir.write("a.html", built);
    // A page of page_size_limit bytes cannot be read.
    std::string huge = std::string(built) + std::string(page_size_limit - sizeof(built) + 1, ' ');
    dir.write("huge.html", huge);
    dir.write("c.html", built);
    dir.write("index.html", built);
    toc_project p = multi_project(dir, {"a.html", "huge.html", "c.html"}, "index.html");
    EXPECT_EQ(clear_project(p, nullptr, nullptr), 1);
    EXPECT_EQ(p.error_message, "Page is too large: " + dir.file("huge.html"));
    for (const char* page : {"a.html", "c.html", "index.html"}) EXPECT_EQ(dir.read(page), built);
    EXPECT_EQ(dir.read("huge.html"), huge);

    // Once the page can be read, every page is cleared; the destination
    // loses its TOC and keeps its anchors.
    dir.write("huge.html", built);
    int reported = -1;
    auto progress = [](int percent, void* context) { *static_cast<int*>(context) = percent; };
    EXPECT_EQ(clear_project(p, progress, &reported), 0) << p.error_message.str();
    for (const char* page : {"a.html", "huge.html", "c.html"}) EXPECT_EQ(dir.read(page), clean);
    EXPECT_EQ(dir.read("index.html"), "<body><h1><a name=\"velt_link_1_5\">A</a></h1></body>");
    EXPECT_EQ(reported, 100);
}

TEST(clear_project, ChecksComeFirstAndMissingDestinationIsFine) {
    temp_folder dir;
    dir.write("a.html", built);
    toc_project p = multi_project(dir, {"a.html", "gone.html"}, "index.html");
    EXPECT_EQ(clear_project(p, nullptr, nullptr), 1);
    EXPECT_EQ(p.error_message, "File doesn't exist: " + dir.file("gone.html"));
    EXPECT_EQ(dir.read("a.html"), built);

    toc_project none = multi_project(dir, {}, "index.html");
    EXPECT_EQ(clear_project(none, nullptr, nullptr), 1);
    EXPECT_EQ(none.error_message, "At least one source file must be specified");

    toc_project ok = multi_project(dir, {"a.html"}, "index.html");
    EXPECT_EQ(clear_project(ok, nullptr, nullptr), 0);
    EXPECT_EQ(dir.read("a.html"), clean);
}

TEST(clear_project, SingleFileToDestination) {
    temp_folder dir;
    dir.write("a.html", built);
    toc_project p;
    p.source.clear();
    p.source.push_back(vtval(dir.file("a.html")));
    p.is_dest_as_source = vtval(0);
    p.destination = vtval(dir.file("out.html"));
    p.process_numbering = vtval(0);
    EXPECT_EQ(clear_project(p, nullptr, nullptr), 0);
    EXPECT_EQ(dir.read("out.html"), clean);
    EXPECT_EQ(dir.read("a.html"), built);
    p.destination = vtval("");
    EXPECT_EQ(clear_project(p, nullptr, nullptr), 1);
    EXPECT_EQ(p.error_message, "Can't open file for writing: ");
}
