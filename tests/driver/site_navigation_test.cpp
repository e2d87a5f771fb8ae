// Navigation across the pages of a site: page links, breadcrumbs and local
// TOCs stay true through edits, new pages, clearing and rebuilding, as the
// link check sees them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/build_project.h"
#include "driver/clear_project.h"
#include "driver/link_check.h"
#include "project/toc_project.h"
#include "support/temp_folder.h"
#include "support/test_cache_home.h"

namespace {

const std::string page_nav =
    "<!--#velt_toc_nav_prev_page--><!--#velt_toc_nav_contents--><!--#velt_toc_nav_next_page-->";

struct site {
    temp_folder dir;
    toc_project project;

    site() {
        std::filesystem::create_directories(dir.file("sub"));
        dir.write("a.html", "<body><!--#velt_toc_nav_this--><h1>Alpha</h1><h2>Two</h2>" + page_nav +
                                "</body>");
        dir.write("sub/b.html", "<body><!--#velt_toc_nav_this link_last=\"1\"--><h2>Beta</h2>" +
                                    page_nav + "</body>");
        dir.write("c.html", "<body><p>no heading</p>" + page_nav + "</body>");
        dir.write("index.html", "<body><!-- toc --></body>");
        project.is_single = vtval(0);
        project.destination = vtval(dir.file("index.html"));
        set_sources({"a.html", "sub/b.html", "c.html"});
        // A local TOC shows the links of each page's own items.
        project.insert_local_toc = vtval(1);
        project.template_file =
            vtval(dir.write("t.tpl",
                            "[<!--#for var=\"item\"--><!--#if var=\"open\"--><!--#echo "
                            "var=\"link\"-->;<!--#else-->/;<!--#endif--><!--#endfor-->]"));
    }
    void set_sources(std::initializer_list<const char*> names) {
        project.source.clear();
        for (const char* name : names) project.source.push_back(vtval(dir.file(name)));
    }
    // With the page cache, as a run from a project file has it: a page
    // whose bytes did not change is taken from it unless what it shows of
    // its neighbours did.
    void build() {
        setenv("XDG_CACHE_HOME", test_cache_home().c_str(), 1);
        const std::string project_file = dir.write("project.txt", "");
        const int result =
            build_project(project, nullptr, nullptr, nullptr, nullptr, 0, project_file);
        unsetenv("XDG_CACHE_HOME");
        ASSERT_EQ(result, 0) << project.error_message.str();
    }
    void clear() {
        ASSERT_EQ(clear_project(project, nullptr, nullptr), 0) << project.error_message.str();
    }
    std::vector<std::string> problems() {
        std::vector<std::string> found;
        EXPECT_EQ(check_links(project, found), 0) << project.error_message.str();
        return found;
    }
    // The page without its local TOC.
    std::string text(const char* page) const {
        const std::string all = dir.read(page);
        const std::string end = "<!--VELT_HTML_TOC_END-->";
        const size_t from = all.find("<!--VELT_HTML_TOC_START-->");
        if (from == std::string::npos) return all;
        return all.substr(0, from) + all.substr(all.find(end) + end.size());
    }
    std::string local_toc(const char* page) const {
        const std::string text = dir.read(page);
        const size_t at = text.find('[');
        return text.substr(at, text.find(']', at) + 1 - at);
    }
};

}  // namespace

TEST(site_navigation, PageLinksLeadToNeighboursAndContents) {
    setenv("SOURCE_DATE_EPOCH", "7", 1);
    site s;
    s.build();
    EXPECT_EQ(s.text("sub/b.html"),
              "<body><!--#velt_toc_nav_this link_last=\"1\"--><a href=\"../a.html#velt_link_1_7\">"
              "1. Alpha</a> &gt; <a href=\"../a.html#velt_link_2_7\">1.1. Two</a>"
              "<!--/velt_toc_nav--><h2>1.2. <a name=\"velt_link_1_7\">Beta</a></h2>"
              "<!--#velt_toc_nav_prev_page--><a href=\"../a.html\" rel=\"prev\">1. Alpha</a>"
              "<!--/velt_toc_nav--><!--#velt_toc_nav_contents--><a href=\"../index.html\" "
              "rel=\"contents\">Contents</a><!--/velt_toc_nav--><!--#velt_toc_nav_next_page-->"
              "<a href=\"../c.html\" rel=\"next\">c.html</a><!--/velt_toc_nav--></body>");
    // The first page has no previous page, the last no next one.
    EXPECT_NE(s.dir.read("a.html").find("<!--#velt_toc_nav_prev_page--><!--/velt_toc_nav-->"),
              std::string::npos);
    EXPECT_NE(s.dir.read("c.html").find("<!--#velt_toc_nav_next_page--><!--/velt_toc_nav-->"),
              std::string::npos);
    // A page's local TOC ends where the next page's items begin, though the
    // next page was scanned before it was written: Beta nests under Alpha.
    EXPECT_EQ(s.local_toc("a.html"), "[#velt_link_1_7;#velt_link_2_7;/;]");
    EXPECT_EQ(s.local_toc("sub/b.html"), "[#velt_link_1_7;/;]");
}

TEST(site_navigation, EveryLinkResolvesThroughEditsNewPagesAndClearing) {
    site s;
    s.build();
    EXPECT_EQ(s.problems(), std::vector<std::string>{});
    // A retitled heading: the breadcrumb of the next page follows it.
    std::string a = s.dir.read("a.html");
    a.replace(a.find(">Alpha</a></h1>"), 6, ">Alpha, retitled");
    s.dir.write("a.html", a);
    s.build();
    EXPECT_NE(s.dir.read("sub/b.html").find("1. Alpha, retitled</a> &gt;"), std::string::npos);
    EXPECT_NE(s.dir.read("sub/b.html").find("rel=\"prev\">1. Alpha, retitled</a>"),
              std::string::npos);
    EXPECT_EQ(s.problems(), std::vector<std::string>{});
    // A page added in the middle: its neighbours link to it.
    s.dir.write("new.html", "<body><h1>New</h1>" + page_nav + "</body>");
    s.set_sources({"a.html", "new.html", "sub/b.html", "c.html"});
    s.build();
    EXPECT_NE(s.dir.read("a.html").find("<a href=\"new.html\" rel=\"next\">2. New</a>"),
              std::string::npos);
    EXPECT_EQ(s.problems(), std::vector<std::string>{});
    // Cleared, built again (anchors get new names), and built twice.
    s.clear();
    EXPECT_EQ(s.problems(), std::vector<std::string>{});
    setenv("SOURCE_DATE_EPOCH", "99", 1);
    s.build();
    EXPECT_EQ(s.problems(), std::vector<std::string>{});
    const std::string once = s.dir.read("sub/b.html");
    s.build();
    EXPECT_EQ(s.dir.read("sub/b.html"), once);
    unsetenv("SOURCE_DATE_EPOCH");
}

// A page left as it was, whose link back names a page before it that was
// retitled, is not taken from the cache as it was.
TEST(site_navigation, LinkBackFollowsARetitledPageBefore) {
    site s;
    s.dir.write("p1.html", "<body><h1>First</h1><h1>Last</h1></body>");
    // No link onwards: a page with one is never cached.
    s.dir.write("p2.html", "<body><h1>Next</h1><!--#velt_toc_nav_prev_page--></body>");
    s.set_sources({"p1.html", "p2.html"});
    s.build();
    s.build();  // the cache holds the pages as the first build left them
    std::string p1 = s.dir.read("p1.html");
    p1.replace(p1.find(">First<") + 1, 5, "Primero");
    s.dir.write("p1.html", p1);
    s.build();
    EXPECT_NE(s.dir.read("p2.html").find("rel=\"prev\">1. Primero</a>"), std::string::npos);
}
