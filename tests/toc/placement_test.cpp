#include <gtest/gtest.h>

#include <string>

#include "page_fixture.h"
#include "toc/pre_html_toc.h"
#include "toc/toc_writer.h"

namespace {

// The page written with a new TOC "[TOC]" placed as the build places it.
std::string rebuilt(std::string_view html) {
    xml_tree doc;
    parse_page(html, doc);
    pre_html_toc p;
    p.document = &doc;
    p.scan_placement();
    vtarr toc;
    toc.push_back(vtval("[TOC]"));
    vtstring out;
    write_with_toc(doc, {p.toc_start_marker, p.toc_end_marker, p.insertion_point, p.after_subtree},
                   &toc, out);
    return out.str();
}

const std::string old_toc = std::string("<!--VELT_HTML_TOC_START-->old<!--VELT_HTML_TOC_END-->");

}  // namespace

TEST(pre_html_toc, PlaceholderForms) {
    EXPECT_TRUE(pre_html_toc::is_placeholder("<!--toc-->"));
    EXPECT_TRUE(pre_html_toc::is_placeholder("<!-- TOC -->"));
    EXPECT_TRUE(pre_html_toc::is_placeholder("<!--\r\n\tToC\n-->"));
    EXPECT_FALSE(pre_html_toc::is_placeholder("<!-- toc here -->"));
    EXPECT_FALSE(pre_html_toc::is_placeholder("<!--#toc-->"));
    EXPECT_FALSE(pre_html_toc::is_placeholder("<!-- tocs -->"));
}

TEST(pre_html_toc, TocGoesAfterFirstPlaceholderElseBodyElseBeforeHeading) {
    EXPECT_EQ(rebuilt("<body><p>x</p><!-- toc --><!--toc--></body>"),
              "<body><p>x</p><!-- toc -->[TOC]<!--toc--></body>");
    EXPECT_EQ(rebuilt("<html><body class=a><h1>x</h1></body>"),
              "<html><body class=a>[TOC]<h1>x</h1></body>");
    EXPECT_EQ(rebuilt("<p>intro</p><h1>x</h1>"), "<p>intro</p>[TOC]<h1>x</h1>");
    EXPECT_EQ(rebuilt("<h1>x</h1>"), "[TOC]<h1>x</h1>");
    EXPECT_EQ(rebuilt("<p>no headings</p>"), "[TOC]<p>no headings</p>");
}

TEST(pre_html_toc, NestedFirstHeadingClimbsToElementWithPreviousSibling) {
    EXPECT_EQ(rebuilt("<p>a</p><table><tr><td><h2>x</h2></td></tr></table>"),
              "<p>a</p>[TOC]<table><tr><td><h2>x</h2></td></tr></table>");
    // A heading with no node after it at all does not count.
    EXPECT_EQ(rebuilt("<p>a</p><div><h2>x</h2></div><h1>"),
              "<p>a</p>[TOC]<div><h2>x</h2></div><h1>");
}

TEST(pre_html_toc, OldTocIsReplaced) {
    EXPECT_EQ(rebuilt("<body>" + old_toc + "<h1>x</h1></body>"), "<body>[TOC]<h1>x</h1></body>");
    EXPECT_EQ(rebuilt("<body><h1>x</h1>" + old_toc + "</body>"), "<body>[TOC]<h1>x</h1></body>");
}

TEST(pre_html_toc, IncompleteOrMisplacedMarkers) {
    // Only a start marker: nothing removed, a second TOC added.
    EXPECT_EQ(rebuilt("<body><!--VELT_HTML_TOC_START-->old</body>"),
              "<body>[TOC]<!--VELT_HTML_TOC_START-->old</body>");
    // Only an end marker: it alone is left out.
    EXPECT_EQ(rebuilt("<body>old<!--VELT_HTML_TOC_END--></body>"), "<body>[TOC]old</body>");
    // Markers with blanks inside are ordinary comments.
    EXPECT_EQ(rebuilt("<body><!-- VELT_HTML_TOC_START -->"),
              "<body>[TOC]<!-- VELT_HTML_TOC_START -->");
    // Of two old TOCs only the first is removed.
    EXPECT_EQ(rebuilt("<body>" + old_toc + old_toc), "<body>[TOC]" + old_toc);
}

TEST(pre_html_toc, EndMarkerBeforeStartMarkerRemovesNothing) {
    std::string page =
        "<body><p>a</p><!--VELT_HTML_TOC_END--><p>keep me</p><!--VELT_HTML_TOC_START--><p>b</p>";
    EXPECT_EQ(rebuilt(page),
              "<body>[TOC]<p>a</p><!--VELT_HTML_TOC_END--><p>keep me</p>"
              "<!--VELT_HTML_TOC_START--><p>b</p>");
}

TEST(pre_html_toc, TocNeverVanishesWhenInsertionPointIsInsideOldToc) {
    // No body and no placeholder: the old end marker precedes the first
    // heading and becomes the insertion point.
    std::string first = rebuilt("<h1>x</h1>");
    EXPECT_EQ(first, "[TOC]<h1>x</h1>");
    std::string page = old_toc + "<h1>x</h1>";
    EXPECT_EQ(rebuilt(page), "[TOC]<h1>x</h1>");
    // A placeholder between the markers: the TOC takes the old one's place.
    EXPECT_EQ(rebuilt("<body><!--VELT_HTML_TOC_START--><!-- toc --><!--VELT_HTML_TOC_END-->tail"),
              "<body>[TOC]tail");
}

TEST(pre_html_toc, StrayMarkerTextIsNoMarker) {
    // Marker text that a browser reads as part of a script, a style sheet,
    // an attribute value or a longer comment is kept, and the old TOC after
    // it is replaced.
    const std::string start = "<!--VELT_HTML_TOC_START-->";
    const std::string strays[] = {
        "<script>var S = \"" + start + "\"; function f(){}</script></head>",
        "<STYLE>/*" + start + "*/ p{}</STYLE>",
        "<!-- removed -> " + start + " -->",
        "<!-- a -- > " + start + " -->",
        "<?php echo \"" + start + "\"; ?>",
        "<p title=\"a>b " + start + "\">x</p>",
        "<textarea>" + start + "</textarea x>",
    };
    for (const std::string& stray : strays)
        EXPECT_EQ(rebuilt(stray + "<body>" + old_toc + "x"), stray + "<body>[TOC]x");
    // Markers around a stretch that is not well-formed count as absent:
    // an element that starts before the start marker and ends between the
    // markers, or starts between them and ends after the end marker.
    const std::string pages[] = {
        "<div>" + start + "<p>keep</p></div><p>keep</p><!--VELT_HTML_TOC_END-->",
        start + "<div><p>keep</p><!--VELT_HTML_TOC_END--><p>keep</p></div>",
    };
    for (const std::string& page : pages) EXPECT_EQ(rebuilt("<body>" + page), "<body>[TOC]" + page);
}

TEST(pre_html_toc, ElementsNeverClosedDoNotCutATocShort) {
    // A TOC of unclosed items (a user's template) followed by the page's own
    // closed elements still counts: it is replaced, not added to.
    EXPECT_EQ(rebuilt("<body><div><!--VELT_HTML_TOC_START--><ul><li>a<li><p>b</ul><p>c"
                      "<!--VELT_HTML_TOC_END--></div><p>after</p></body>"),
              "<body>[TOC]<div></div><p>after</p></body>");
}
