#include <gtest/gtest.h>

#include <string>

#include "page_fixture.h"
#include "toc/html_toc.h"

namespace {

// Scans pages in order into one TOC, as a multi-file build does (links of
// earlier pages get a path in front), and returns the last page written.
std::string scan_pages(std::initializer_list<std::string_view> pages, bool titles = false,
                       bool numbering = false) {
    toc_tree toc;
    toc_node* last = nullptr;
    std::string out;
    int page_number = 0;
    for (std::string_view page : pages) {
        xml_tree doc;
        parse_page(page, doc);
        html_toc scan;
        scan.document = &doc;
        scan.toc = &toc;
        scan.current_item = last;
        scan.process_title = titles;
        scan.process_numbering = numbering;
        scan.time_stamp = 9;
        scan.scan_headings();
        toc_node* first_new = last ? toc_tree::next(last) : toc.first();
        last = scan.current_item;
        std::string prefix = "p" + std::to_string(++page_number) + ".html";
        for (toc_node* n = first_new; n; n = toc_tree::next(n))
            toc.set_link(n, prefix + std::string(n->link()));
        out = written(doc);
    }
    return out;
}

}  // namespace

// The comment stays; its text follows it up to the end comment.
constexpr std::string_view end = "<!--/velt_toc_nav-->";

std::string after(std::string_view comment, std::string_view text) {
    return std::string(comment) + std::string(text) + std::string(end);
}

TEST(navigation, ThisNamesTheCurrentSection) {
    EXPECT_EQ(
        scan_pages({"<body><h1>A</h1><h2>B</h2><!--#velt_toc_nav_this--></body>"}),
        "<body><h1><a name=\"velt_link_1_9\">A</a></h1><h2><a name=\"velt_link_2_9\">B</a></h2>" +
            after("<!--#velt_toc_nav_this-->", "<a href=\"#velt_link_1_9\">A</a> &gt; B") +
            "</body>");
}

TEST(navigation, LinkLastMakesTheLastPartALink) {
    EXPECT_EQ(
        scan_pages({"<body><h1>A</h1><!--#velt_toc_nav_this link_last=\"1\"--></body>"}),
        "<body><h1><a name=\"velt_link_1_9\">A</a></h1>" +
            after("<!--#velt_toc_nav_this link_last=\"1\"-->", "<a href=\"#velt_link_1_9\">A</a>") +
            "</body>");
    // Without a value link_last is off.
    EXPECT_EQ(scan_pages({"<body><h1>A</h1><!--#velt_toc_nav_this link_last--></body>"}),
              "<body><h1><a name=\"velt_link_1_9\">A</a></h1>" +
                  after("<!--#velt_toc_nav_this link_last-->", "A") + "</body>");
}

TEST(navigation, NextIsFilledByTheNextHeadingForEveryWaitingComment) {
    EXPECT_EQ(
        scan_pages({"<body><!--#velt_toc_nav_next--><!--#VELT_TOC_NAV_NEXT "
                    "link_last=1--><h1>A</h1></body>"}),
        "<body>" + after("<!--#velt_toc_nav_next-->", "A") +
            after("<!--#VELT_TOC_NAV_NEXT link_last=1-->", "<a href=\"#velt_link_1_9\">A</a>") +
            "<h1><a name=\"velt_link_1_9\">A</a></h1></body>");
    // A next comment with no heading after it gets no text.
    EXPECT_EQ(scan_pages({"<body><h1>A</h1><!--#velt_toc_nav_next--></body>"}),
              "<body><h1><a name=\"velt_link_1_9\">A</a></h1>" +
                  after("<!--#velt_toc_nav_next-->", "") + "</body>");
}

TEST(navigation, ParentUnderTopLevelItemIsEmpty) {
    EXPECT_EQ(scan_pages({"<body><h1>A</h1><!--#velt_toc_nav_parent--><h2>B</"
                          "h2><!--#velt_toc_nav_parent--></body>"},
                         false, true),
              "<body><h1>1. <a name=\"velt_link_1_9\">A</a></h1>" +
                  after("<!--#velt_toc_nav_parent-->", "") +
                  "<h2>1.1. <a name=\"velt_link_2_9\">B</a></h2>" +
                  after("<!--#velt_toc_nav_parent-->", "1. A") + "</body>");
}

TEST(navigation, CommentBeforeFirstHeadingNamesPreviousPageOrTitle) {
    // First page of a build without titles: nothing yet.
    EXPECT_EQ(scan_pages({"<body><!--#velt_toc_nav_this--><h1>A</h1></body>"}),
              "<body>" + after("<!--#velt_toc_nav_this-->", "") +
                  "<h1><a name=\"velt_link_1_9\">A</a></h1></body>");
    // Second page: the last item of the first page, with its completed link.
    EXPECT_EQ(scan_pages({"<body><h1>A</h1></body>",
                          "<body><!--#velt_toc_nav_this link_last=1--><h2>B</h2></body>"}),
              "<body>" +
                  after("<!--#velt_toc_nav_this link_last=1-->",
                        "<a href=\"p1.html#velt_link_1_9\">A</a>") +
                  "<h2><a name=\"velt_link_1_9\">B</a></h2></body>");
    // With titles: the page's own title item, whose link is still empty.
    EXPECT_EQ(
        scan_pages({"<title>T</title><body><!--#velt_toc_nav_this link_last=1--><h1>A</h1></body>"},
                   true),
        "<title>T</title><body>" +
            after("<!--#velt_toc_nav_this link_last=1-->", "<a href=\"\">T</a>") +
            "<h1><a name=\"velt_link_2_9\">A</a></h1></body>");
}

TEST(navigation, EveryBuildWritesTheTextAfresh) {
    // A renamed heading, a page built twice, and text that an earlier build
    // left where the scan no longer passes (before the placeholder).
    const std::string built = scan_pages({"<body><h1>Old</h1><!--#velt_toc_nav_this--></body>"});
    std::string renamed = built;
    renamed.replace(renamed.find("Old</a></h1>"), 3, "New");
    EXPECT_EQ(scan_pages({renamed}), "<body><h1><a name=\"velt_link_1_9\">New</a></h1>" +
                                         after("<!--#velt_toc_nav_this-->", "New") + "</body>");
    EXPECT_EQ(scan_pages({scan_pages({renamed})}), scan_pages({renamed}));
    EXPECT_EQ(scan_pages({after("<!--#velt_toc_nav_this-->", "<a href=\"#gone\">Gone</a>") +
                          "<!-- toc --><h1>A</h1>"}),
              "<!--#velt_toc_nav_this--><!-- toc --><h1><a name=\"velt_link_1_9\">A</a></h1>");
    // Between a comment and an end comment, anything but text and links is
    // the author's and stays; a comment an earlier build replaced is gone
    // and its text stays too.
    const std::string authors = "<!--#velt_toc_nav_this--><p>mine</p><!--/velt_toc_nav-->";
    EXPECT_EQ(scan_pages({authors}),
              after("<!--#velt_toc_nav_this-->", "") + "<p>mine</p><!--/velt_toc_nav-->");
    EXPECT_EQ(scan_pages({"<h1>A</h1><a href=\"#x\">Old</a> &gt; B"}),
              "<h1><a name=\"velt_link_1_9\">A</a></h1><a href=\"#x\">Old</a> &gt; B");
}

TEST(navigation, CommentsOutsideTheScanAreLeftAlone) {
    // Before the placeholder, inside a heading, and without '#'.
    std::string page =
        "<!--#velt_toc_nav_this--><!-- toc "
        "--><h1>A<!--#velt_toc_nav_this--></h1><!--velt_toc_nav_this-->";
    EXPECT_EQ(scan_pages({page}),
              "<!--#velt_toc_nav_this--><!-- toc --><h1><a "
              "name=\"velt_link_1_9\">A<!--#velt_toc_nav_this-->"
              "</a></h1><!--velt_toc_nav_this-->");
}
