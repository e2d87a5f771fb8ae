#include "html/vthtml.h"

#include <gtest/gtest.h>

#include "core/page_size_limit.h"
#include "reader_harness.h"

namespace {

// Every HTML case must also come back byte for byte.
reader_outcome read(std::string_view text) {
    reader_outcome out = html_all_ways(text);
    EXPECT_EQ(out.result, VTSGML_DONE);
    EXPECT_EQ(out.written, text);
    return out;
}

}  // namespace

TEST(vthtml, StartTagNameLowerCasedSourceKept) {
    EXPECT_EQ(read("<P CLASS=Intro>x</p>").tree,
              "start_tag[p] <P CLASS=Intro>\n"
              "  text x\n"
              "  end_tag[p] </p>\n");
    xml_tree tree;
    vthtml reader(tree);
    reader.add("<P CLASS=Intro>");
    reader.set_input_complete();
    ASSERT_EQ(reader.run(), VTSGML_DONE);
    vtstring value;
    ASSERT_TRUE(tree.first()->attribute("class", value));
    EXPECT_EQ(value, "Intro");
    // Bytes a scan joins to a tag after its own are no attributes of it.
    tree.set_source(tree.first(), "<P CLASS=Intro>", "1. <a class=\"x\" id=\"y\">");
    ASSERT_TRUE(tree.first()->attribute("class", value));
    EXPECT_EQ(value, "Intro");
    EXPECT_FALSE(tree.first()->attribute("id", value));
}

TEST(vthtml, EmptyElementsByNameAndBySlash) {
    EXPECT_EQ(read("<br><img src=a.gif><x/><BASEFONT size=2>t").tree,
              "empty_tag[br] <br>\n"
              "empty_tag[img] <img src=a.gif>\n"
              "empty_tag[x] <x/>\n"
              "empty_tag[basefont] <BASEFONT size=2>\n"
              "text t\n");
}

TEST(vthtml, QuotesDoNotProtectGreaterThan) {
    EXPECT_EQ(read("<a href='>'>x").tree,
              "start_tag[a] open <a href='>\n"
              "  text '>x\n");
}

TEST(vthtml, UnrecognisedConstructsStayText) {
    EXPECT_EQ(read("<!DOCTYPE html>\n<?xml version=\"1.0\"?><% x %><![CDATA[y]]>").tree,
              "text <!DOCTYPE html>\n\n"
              "text <?xml version=\"1.0\"?>\n"
              "text <% x %>\n"
              "text <![CDATA[y]]>\n");
    // A second '<' inside an abandoned construct is part of it, not a tag.
    EXPECT_EQ(read("a <<b>c").tree, "text a \ntext <<b>c\n");
}

TEST(vthtml, CommentEndsAtFirstGreaterThanDirectiveAtDashes) {
    EXPECT_EQ(read("<!-- a > b -->").tree, "comment <!-- a >\ntext  b -->\n");
    EXPECT_EQ(read("<!--#include file=\"x\"--><!--#a > b-->").tree,
              "directive <!--#include file=\"x\"-->\n"
              "directive <!--#a > b-->\n");
}

TEST(vthtml, GreaterThanBeforeKindIsFinalEndsToken) {
    EXPECT_EQ(read("<><!><!DOC><!-->").tree,
              "unknown <>\ndeclaration <!>\ndeclaration <!DOC>\ncomment <!-->\n");
}

TEST(vthtml, EndTagClosesNearestOpenAncestor) {
    EXPECT_EQ(read("<ul><li>a</ul>b").tree,
              "start_tag[ul] <ul>\n"
              "  start_tag[li] open <li>\n"
              "    text a\n"
              "  end_tag[ul] </ul>\n"
              "text b\n");
    EXPECT_EQ(read("<div><p>x</p></div>").tree,
              "start_tag[div] <div>\n"
              "  start_tag[p] <p>\n"
              "    text x\n"
              "    end_tag[p] </p>\n"
              "  end_tag[div] </div>\n");
}

TEST(vthtml, StrayEndTagStaysOpenWhereItStands) {
    EXPECT_EQ(read("<div></span>x</div></div>").tree,
              "start_tag[div] <div>\n"
              "  end_tag[span] open </span>\n"
              "  text x\n"
              "  end_tag[div] </div>\n"
              "end_tag[div] open </div>\n");
}

TEST(vthtml, ElementsPassedOverAreNoLongerClosable) {
    // </b> passes over <i>; the later </i> finds no open <i> on the way up.
    EXPECT_EQ(read("<b><i>x</b></i>").tree,
              "start_tag[b] <b>\n"
              "  start_tag[i] open <i>\n"
              "    text x\n"
              "  end_tag[b] </b>\n"
              "end_tag[i] open </i>\n");
}

TEST(vthtml, EndTagNameIsItsFirstWordLowerCased) {
    EXPECT_EQ(read("<DIV>x</DIV junk=1>").tree,
              "start_tag[div] <DIV>\n"
              "  text x\n"
              "  end_tag[div] </DIV junk=1>\n");
}

TEST(vthtml, OddBytesSurviveTheRoundTrip) {
    read(std::string("a\0b<p>\0</p>\xff\xfe<\xc3\xa9>", 18));
    read("line\rline\r<p\r>\r");
    read("x < y and y > z, a<b");
    read("<p><p><p>deep</div></div>");
}

TEST(vthtml, FileEndingInsideConstructsIsText) {
    EXPECT_EQ(read("a<p class=").tree, "text a\ntext <p class=\n");
    EXPECT_EQ(read("<p>x<!-- open").tree, "start_tag[p] open <p>\n  text x\n  text <!-- open\n");
    EXPECT_EQ(read("<!--#dir").tree, "text <!--#dir\n");
    EXPECT_EQ(read("<").tree, "text <\n");
}

TEST(vthtml, NodesFollowWhatTheTreeHolds) {
    xml_tree tree;
    xml_node* lead = tree.add_leading_empty_node();
    vthtml reader(tree);
    reader.add("<h1>T</h1>");
    reader.set_input_complete();
    ASSERT_EQ(reader.run(), VTSGML_DONE);
    EXPECT_EQ(tree.first(), lead);
    EXPECT_EQ(tree.top_count(), 2);
    vtstring out;
    write_tree(tree, out);
    EXPECT_EQ(out, "<h1>T</h1>");
}

TEST(vthtml, SizeLimitCapsTheWholeInput) {
    const std::string below(page_size_limit - 1, 'x');
    EXPECT_EQ(run_html(below, 16384).result, VTSGML_DONE);
    const std::string at(page_size_limit, 'x');
    EXPECT_EQ(run_html(at, 16384).result, VTSGML_SIZE_EXCEEDED);
}

TEST(vthtml, StrayEndTagsUnderDeepNestingCostNoWalk) {
    // 100,000 open elements, then as many end tags that match none of them,
    // then one that closes the outermost: linear, or this test never ends.
    std::string page = "<div>";
    for (int i = 0; i < 100000; ++i) page += "<p>";
    for (int i = 0; i < 100000; ++i) page += "</x>";
    page += "</div>";
    xml_tree tree;
    vthtml reader(tree);
    reader.add(page);
    reader.set_input_complete();
    ASSERT_EQ(reader.run(), VTSGML_DONE);
    EXPECT_TRUE(tree.first()->closed);
    EXPECT_EQ(tree.first()->last_child->source, "</div>");
    vtstring out;
    write_tree(tree, out);
    EXPECT_TRUE(out == page);
}
