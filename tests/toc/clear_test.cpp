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
    EXPECT_EQ(r.clear_document(), 0);
    vtstring out;
    write_with_toc(doc, {r.toc_start_marker, r.toc_end_marker, nullptr}, nullptr, out);
    return out.str();
}

}  // namespace

TEST(html_toc_rollback, RemovesAnchorAndNumber) {
    EXPECT_EQ(cleared("<h2>2.1. <a name=\"velt_link_4_T\"> Intro</a></h2>", true),
              "<h2>  Intro</h2>");
    EXPECT_EQ(cleared("<h2>2.1. <a name=\"velt_link_4_T\"> Intro</a></h2>", false),
              "<h2>2.1.  Intro</h2>");
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
    // Without numbering, clearing twice equals clearing once, and a page never
    // built keeps everything but the TOC.
    std::string page =
        "<body><!--VELT_HTML_TOC_START-->x<!--VELT_HTML_TOC_END--><h1>1. <a name=a>a</a></h1>";
    std::string once = cleared(page, false);
    EXPECT_EQ(once, "<body><h1>1. <a name=a>a</a></h1>");
    EXPECT_EQ(cleared(once, false), once);
}

TEST(html_toc_rollback, WordsThatBeginWithDigitsKeepThem) {
    EXPECT_EQ(cleared("<h1>2001: A Space Odyssey</h1><h2>3D <i>x</i></h2><h3>1.5x</h3>", true),
              "<h1>2001: A Space Odyssey</h1><h2>3D <i>x</i></h2><h3>1.5x</h3>");
    EXPECT_EQ(cleared("<h1>1. <a name=\"velt_link_1_2\">2001: A</a></h1>", true),
              "<h1> 2001: A</h1>");
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
    // Behind a written id the number is the build's, its blank included.
    EXPECT_EQ(cleared("<h2 id=\"a\">1. A</h2><h2 id=\"b\" data-velt-id>2. B</h2>", true),
              "<h2 id=\"a\"> A</h2><h2>B</h2>");
}

TEST(html_toc_rollback, SkippedHeadingsKeepWhatTheyHold) {
    const std::string aside = "<h2 class=\"no-toc\">1. <a name=\"velt_link_1_7\">A</a></h2>";
    EXPECT_EQ(cleared(aside, true, 1, 6, "no-toc"), aside);
}
