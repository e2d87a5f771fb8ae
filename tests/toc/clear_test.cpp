#include <gtest/gtest.h>

#include <string>

#include "page_fixture.h"
#include "toc/html_toc_rollback.h"
#include "toc/toc_writer.h"

namespace {

std::string cleared(std::string_view html, bool numbering, int from = 1, int to = 6,
                    std::string_view skip = "") {
    xml_tree doc;
    parse_page(html, doc);
    html_toc_rollback r;
    r.document = &doc;
    r.range_from = from;
    r.range_to = to;
    r.process_numbering = numbering;
    r.skip_class = skip;
    r.remove_anchors = true;
    r.clear_document();
    vtstring out;
    write_with_toc(doc, r.old_toc(), nullptr, out);
    return out.str();
}

}  // namespace

TEST(html_toc_rollback, RemovesAnchorAndNumber) {
    // A numbered build of "<h1>Alpha</h1><h2>Beta</h2>" clears back to it,
    // no blank left where the number stood.
    const std::string built =
        "<h1>1. <a name=\"velt_link_1_7\">Alpha</a></h1><h2>1.1. <a "
        "name=\"velt_link_2_7\">Beta</a></h2>";
    EXPECT_EQ(cleared(built, true), "<h1>Alpha</h1><h2>Beta</h2>");
    EXPECT_EQ(cleared(built, false), "<h1>1. Alpha</h1><h2>1.1. Beta</h2>");
}

TEST(html_toc_rollback, OnlyGeneratedAnchorsInRange) {
    EXPECT_EQ(
        cleared("<h1><a name=\"velt_link_x\">a</a></h1><h1><a name=\"Velt_link_x\">b</a></h1>",
                false),
        "<h1>a</h1><h1><a name=\"Velt_link_x\">b</a></h1>");
    EXPECT_EQ(cleared("<h3><a name=\"velt_link_1_2\">c</a></h3>", false, 1, 2),
              "<h3><a name=\"velt_link_1_2\">c</a></h3>");
    // Only the first generated anchor of a heading goes.
    EXPECT_EQ(cleared("<h1><a name=\"velt_link_1\">a</a><a name=\"velt_link_2\">b</a></h1>", false),
              "<h1>a<a name=\"velt_link_2\">b</a></h1>");
    // An anchor whose end tag is not its last child keeps that end tag.
    EXPECT_EQ(cleared("<h1><a name=\"velt_link_1\">a</a>b</h1>", false), "<h1>ab</h1>");
}

TEST(html_toc_rollback, ClearedPageLosesTocBetweenMarkers) {
    EXPECT_EQ(cleared("<body><!--VELT_HTML_TOC_START-->x<!--VELT_HTML_TOC_END--><p>y</p>", false),
              "<body><p>y</p>");
    // Clearing twice equals clearing once.
    std::string page =
        "<body><!--VELT_HTML_TOC_START-->x<!--VELT_HTML_TOC_END--><h1>1. <a name=a>a</a></h1>";
    std::string once = cleared(page, false);
    EXPECT_EQ(once, "<body><h1>1. <a name=a>a</a></h1>");
    EXPECT_EQ(cleared(once, false), once);
}

TEST(html_toc_rollback, PagesNoBuildTouchedKeepEveryByte) {
    // Without a build's mark a page stays as it is, numbers, white space
    // and stray marker text included.
    for (std::string_view page :
         {"<h1>12 Monkeys</h1>", "<h1>1. Intro</h1><h2> 2.1.  Two</h2>",
          "<h1>2001: A Space Odyssey</h1><h2>3D <i>x</i></h2><h3>1.5x</h3>",
          "<!--VELT_HTML_TOC_START--><h1>1. A</h1>",
          "<script>s = \"<!--VELT_HTML_TOC_START-->\";</script><h1>1. A</h1>"
          "<!--VELT_HTML_TOC_END-->",
          "<!--#velt_toc_nav_this--><a href=\"#x\">1. A</a>"})
        EXPECT_EQ(cleared(page, true), page);
}

TEST(html_toc_rollback, NumbersGoOnlyInTheFormABuildWrites) {
    // In a built page: "N. " at a heading's front goes whole; an author's
    // number in another form stays.
    const std::string toc = "<!--VELT_HTML_TOC_START--><!--VELT_HTML_TOC_END-->";
    EXPECT_EQ(cleared(toc + "<h1>1. <a name=\"velt_link_1_2\">2001: A</a></h1><h2>12 Monkeys</h2>"
                            "<h2>3.1 Three</h2><h2> 4. Four</h2>",
                      true),
              "<h1>2001: A</h1><h2>12 Monkeys</h2><h2>3.1 Three</h2><h2> 4. Four</h2>");
}

TEST(html_toc_rollback, NavigationTextGoesAndTheCommentStays) {
    EXPECT_EQ(cleared("<p><!--#velt_toc_nav_this link_last=\"1\"--><a href=\"#velt_link_1_2\">1. "
                      "A</a> &gt; B<!--/velt_toc_nav--></p><h1>1. <a "
                      "name=\"velt_link_1_2\">A</a></h1>",
                      true),
              "<p><!--#velt_toc_nav_this link_last=\"1\"--></p><h1>A</h1>");
}

TEST(html_toc_rollback, StrayMarkerTextIsKept) {
    const std::string stray = "<script>s = \"<!--VELT_HTML_TOC_START-->\";</script>";
    EXPECT_EQ(cleared(stray + "<body><!--VELT_HTML_TOC_START-->x<!--VELT_HTML_TOC_END-->y", false),
              stray + "<body>y");
}

TEST(html_toc_rollback, TakesOutOnlyTheIdsABuildWrote) {
    EXPECT_EQ(cleared("<h2 id=\"a\">A</h2><h2 class=\"c\" id=\"b\" data-velt-id>B</h2>"
                      "<h2><a name=\"velt_link_1_7\">D</a></h2>",
                      false),
              "<h2 id=\"a\">A</h2><h2 class=\"c\">B</h2><h2>D</h2>");
    // In a built page the number in front of the text is the build's, its
    // blank included.
    EXPECT_EQ(cleared("<h2 id=\"a\">1. A</h2><h2 id=\"b\" data-velt-id>2. B</h2>", true),
              "<h2 id=\"a\">A</h2><h2>B</h2>");
}

TEST(html_toc_rollback, SkippedHeadingsLoseWhatABuildWroteAndKeepTheRest) {
    // A heading skipped since its build loses its number, anchor, id and
    // link; an author's number in a skipped heading without them stays.
    EXPECT_EQ(
        cleared("<h2 class=\"no-toc\">1. <a name=\"velt_link_1_7\">A</a></h2>"
                "<h2 class=\"no-toc\" id=\"b\" data-velt-id>2. B<a href=\"#b\" "
                "class=\"velt-heading-link\" aria-label=\"Link to B\">#</a></h2>"
                "<h2 class=\"no-toc\">3. C</h2>",
                true, 1, 6, "no-toc"),
        "<h2 class=\"no-toc\">A</h2><h2 class=\"no-toc\">B</h2><h2 class=\"no-toc\">3. C</h2>");
}
