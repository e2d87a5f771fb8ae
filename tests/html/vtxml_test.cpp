#include "html/vtxml.h"

#include <gtest/gtest.h>

#include "reader_harness.h"

TEST(vtxml, EmptyPairBecomesOneEmptyElement) {
    reader_outcome out = tagged_all_ways("<a></a>");
    EXPECT_EQ(out.result, VTSGML_DONE);
    EXPECT_EQ(out.tree, "empty_tag[a] <a>\n");
}

TEST(vtxml, NestedElementsAndNamesKeepCase) {
    reader_outcome out = tagged_all_ways("<Key><b>x</b></Key>\n<c/>");
    EXPECT_EQ(out.result, VTSGML_DONE);
    EXPECT_EQ(out.tree,
              "start_tag[Key] <Key>\n"
              "  start_tag[b] <b>\n"
              "    text x\n"
              "    end_tag[b] </b>\n"
              "  end_tag[Key] </Key>\n"
              "text \n\n"
              "empty_tag[c] <c/>\n");
}

TEST(vtxml, MisplacedEndTagReportsItsPosition) {
    reader_outcome out = tagged_all_ways("<a>\n<b>x</a>tail");
    EXPECT_EQ(out.result, VTSGML_MISPLACED_END);
    EXPECT_EQ(out.line, 2);
    EXPECT_EQ(out.column, 9);
}

TEST(vtxml, UnclosedTagReportsTheLastByte) {
    reader_outcome out = tagged_all_ways("<a>x\nyz");
    EXPECT_EQ(out.result, VTSGML_UNCLOSED);
    EXPECT_EQ(out.line, 2);
    EXPECT_EQ(out.column, 3);
    // Closing the outer element leaves the inner one open.
    EXPECT_EQ(tagged_all_ways("<a><b></a>").result, VTSGML_UNCLOSED);
}

TEST(vtxml, EndTagBeforeAnyNodeIsPlaced) {
    reader_outcome out = tagged_all_ways("</x><a>1</a>");
    EXPECT_EQ(out.result, VTSGML_DONE);
    EXPECT_EQ(out.tree, "end_tag[x] open </x>\nstart_tag[a] <a>\n  text 1\n  end_tag[a] </a>\n");
    EXPECT_EQ(tagged_all_ways("</x></y>").result, VTSGML_MISPLACED_END);
}

TEST(vtxml, TextAndValuesDecodedCdataAndCommentsNot) {
    reader_outcome out = tagged_all_ways(
        "<k v=\"&lt;1&#62;\">a &lt; b &amp;&amp; c</k><c><![CDATA[&lt;<x>]]></c><!-- &lt; -->");
    EXPECT_EQ(out.result, VTSGML_DONE);
    EXPECT_EQ(out.tree,
              "start_tag[k] <k v=\"&lt;1&#62;\">\n"
              "  text a &lt; b &amp;&amp; c =a < b && c\n"
              "  end_tag[k] </k>\n"
              "start_tag[c] <c>\n"
              "  text <![CDATA[&lt;<x>]]> =&lt;<x>\n"
              "  end_tag[c] </c>\n"
              "comment <!-- &lt; -->\n");
    xml_tree tree;
    vtxml reader(tree);
    reader.add("<k v=\"&lt;1&#62;\" W='x'/>");
    reader.set_input_complete();
    ASSERT_EQ(reader.run(), VTSGML_DONE);
    vtstring value;
    ASSERT_TRUE(tree.first()->attribute("v", value));
    EXPECT_EQ(value, "<1>");
    EXPECT_TRUE(tree.first()->attribute("W", value));
}

TEST(vtxml, ProcessingInstructionQuotesProtectTheEnd) {
    reader_outcome out = tagged_all_ways("<?x a=\"?>\"?><a/>");
    EXPECT_EQ(out.result, VTSGML_DONE);
    EXPECT_EQ(out.tree, "processing_instruction <?x a=\"?>\"?>\nempty_tag[a] <a/>\n");
}

TEST(vtxml, LineEndsBecomeLineFeeds) {
    reader_outcome out = tagged_all_ways("<a>1\r\n2\r3\n</a>");
    EXPECT_EQ(out.tree, "start_tag[a] <a>\n  text 1\n2\n3\n\n  end_tag[a] </a>\n");
    // A CR LF pair split between two chunks is one line end.
    xml_tree tree;
    vtxml reader(tree);
    reader.add("<a>x\r");
    ASSERT_EQ(reader.run(), VTSGML_MORE);
    reader.add("\ny</a>\r");
    ASSERT_EQ(reader.run(), VTSGML_MORE);
    reader.add("\n");
    reader.set_input_complete();
    ASSERT_EQ(reader.run(), VTSGML_DONE);
    EXPECT_EQ(tree.first()->first_child->text(), "x\ny");
    EXPECT_EQ(reader.line(), 3);
}

TEST(vtxml, EveryPositionSameInAnyChunking) {
    // A longer settings-like file with errors at different places.
    std::string text;
    for (int i = 0; i < 900; ++i)
        text +=
            "<key_" + std::to_string(i) + ">value &amp; more</key_" + std::to_string(i) + ">\r\n";
    EXPECT_EQ(tagged_all_ways(text).result, VTSGML_DONE);
    EXPECT_EQ(tagged_all_ways(text + "<x>").result, VTSGML_UNCLOSED);
    reader_outcome bad = tagged_all_ways(text + "<x>\r\n</y>");
    EXPECT_EQ(bad.result, VTSGML_MISPLACED_END);
    EXPECT_EQ(bad.line, 902);
    EXPECT_EQ(bad.column, 5);
}

TEST(vtxml, SizeLimitIsSixteenMegabytes) {
    EXPECT_EQ(run_tagged(std::string(16777215, ' '), 8092).result, VTSGML_DONE);
    EXPECT_EQ(run_tagged(std::string(16777216, ' '), 8092).result, VTSGML_SIZE_EXCEEDED);
}
