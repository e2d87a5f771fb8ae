#include "html/vtsgml.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every token as "kind:bytes" (text as "T:bytes") with the position
// at which it was delivered.
class recorder : public vtsgml {
  public:
    explicit recorder(uint32_t mask, bool keep = true) {
        set_enabled_kinds(mask);
        set_keep_text(keep);
    }
    std::vector<std::string> tokens;
    std::vector<std::string> positions;
    int fail_on_markup = 0;

  protected:
    int on_text(std::string_view bytes) override {
        tokens.push_back("T:" + std::string(bytes));
        return 0;
    }
    int on_markup(xml_kind kind, std::string_view bytes) override {
        tokens.push_back(std::string(xml_kind_name(kind)) + ":" + std::string(bytes));
        positions.push_back(std::to_string(line()) + "," + std::to_string(column()));
        return fail_on_markup;
    }
};

std::vector<std::string> tokenize(std::string_view text, uint32_t mask, size_t chunk = 0,
                                  bool keep = true) {
    recorder r(mask, keep);
    if (chunk == 0) chunk = text.size();
    for (size_t at = 0; at < text.size(); at += chunk) {
        r.add(text.substr(at, chunk));
        EXPECT_EQ(r.run(), VTSGML_MORE);
    }
    r.set_input_complete();
    EXPECT_EQ(r.run(), VTSGML_DONE);
    return r.tokens;
}

using tokens = std::vector<std::string>;
constexpr uint32_t all_kinds = 0x7fff;

}  // namespace

TEST(vtsgml, OpeningBytesDecideTheKind) {
    EXPECT_EQ(tokenize("<a x><_b><:c></d><!e><!--f--><!--#g--><![CDATA[h]]>", all_kinds),
              (tokens{"start_tag:<a x>", "start_tag:<_b>", "start_tag:<:c>", "end_tag:</d>",
                      "declaration:<!e>", "comment:<!--f-->", "directive:<!--#g-->",
                      "cdata:<![CDATA[h]]>"}));
    EXPECT_EQ(
        tokenize("<!DOCTYPE d><!ELEMENT e><!ATTLIST a><!ENTITY n><?p?><%s%><#h><1>", all_kinds),
        (tokens{"doctype:<!DOCTYPE d>", "element_declaration:<!ELEMENT e>",
                "attlist_declaration:<!ATTLIST a>", "entity_declaration:<!ENTITY n>",
                "processing_instruction:<?p?>", "server_script:<%s%>", "hash_construct:<#h>",
                "unknown:<1>"}));
    // A keyword that breaks off stays a declaration.
    EXPECT_EQ(tokenize("<!DOCTYP x><!-x>", all_kinds),
              (tokens{"declaration:<!DOCTYP x>", "declaration:<!-x>"}));
}

TEST(vtsgml, DisabledKindsStayInTheText) {
    EXPECT_EQ(tokenize("a<b>c<!--d-->e</f>", 0x2000),
              (tokens{"T:a", "T:<b>c", "T:<!--d-->e", "T:</f>"}));
    EXPECT_EQ(tokenize("a<b>c<!--#d-->e", 0x2000),
              (tokens{"T:a", "T:<b>c", "directive:<!--#d-->", "T:e"}));
}

TEST(vtsgml, GreaterThanWhileDetectingEndsTheToken) {
    EXPECT_EQ(
        tokenize("<><!><!DOC><!-->x", 0x2000),
        (tokens{"unknown:<>", "declaration:<!>", "declaration:<!DOC>", "comment:<!-->", "T:x"}));
}

TEST(vtsgml, QuotesAndBackslashesProtectTheEnd) {
    const uint32_t directive = 0x2000;  // "-->", quotes and backslash on
    EXPECT_EQ(tokenize("<!--#echo var=\"a-->b\"-->t", directive),
              (tokens{"directive:<!--#echo var=\"a-->b\"-->", "T:t"}));
    EXPECT_EQ(tokenize("<!--#x v='a\\'-->'-->", directive),
              (tokens{"directive:<!--#x v='a\\'-->'-->"}));
    // Outside quotes a backslash is ordinary.
    EXPECT_EQ(tokenize("<!--#x \\-->", directive), (tokens{"directive:<!--#x \\-->"}));
}

TEST(vtsgml, EndStringMustFollowTheOpening) {
    // "<!--#-->" ends, but the dashes of the opening never count twice.
    EXPECT_EQ(tokenize("<!--#-->", 0x2000), (tokens{"directive:<!--#-->"}));
    EXPECT_EQ(tokenize("<![CDATA[]]>", 0x20), (tokens{"cdata:<![CDATA[]]>"}));
    EXPECT_EQ(tokenize("<![CDATA[a>]>]]>", 0x20), (tokens{"cdata:<![CDATA[a>]>]]>"}));
}

TEST(vtsgml, SameTokensWhateverTheChunking) {
    const std::string text =
        "x<!--#for var=\"a\\\"b\"--> <a href='q'>link</a><!-- c --><![CDATA[z]]><!--#e";
    const tokens whole = tokenize(text, all_kinds);
    for (size_t chunk : {1, 2, 3, 5, 11}) EXPECT_EQ(tokenize(text, all_kinds, chunk), whole);
}

TEST(vtsgml, OpenConstructAtTheEndIsText) {
    EXPECT_EQ(tokenize("a<b c=", all_kinds), (tokens{"T:a", "T:<b c="}));
    // Without kept text only the open construct comes out.
    EXPECT_EQ(tokenize("a<b>c<d", all_kinds, 0, false), (tokens{"start_tag:<b>", "T:<d"}));
}

TEST(vtsgml, PositionCountsColumnsFromOneAfterLineFeed) {
    recorder r(0x1);
    r.add("<abc>\n<abc>\r\n\t<x>");
    r.set_input_complete();
    ASSERT_EQ(r.run(), VTSGML_DONE);
    // Fifth byte of line one: column 5; fifth byte of line two: column 6.
    EXPECT_EQ(r.positions, (std::vector<std::string>{"1,5", "2,6", "3,5"}));
    EXPECT_EQ(r.line(), 3);
    EXPECT_EQ(r.chars_read(), 16);
}

TEST(vtsgml, HandlerFailureEndsTheRun) {
    recorder r(0x1);
    r.fail_on_markup = 77;
    r.add("ab\n<p>rest");
    EXPECT_EQ(r.run(), 77);
    EXPECT_EQ(r.line(), 2);
    EXPECT_EQ(r.column(), 4);
}

TEST(vtsgml, RunWaitsForMoreUntilInputComplete) {
    recorder r(0x1);
    EXPECT_EQ(r.run(), VTSGML_MORE);
    r.add("<p");
    EXPECT_EQ(r.run(), VTSGML_MORE);
    r.add(">");
    EXPECT_EQ(r.run(), VTSGML_MORE);
    EXPECT_EQ(r.tokens, (tokens{"start_tag:<p>"}));
    r.set_input_complete();
    EXPECT_EQ(r.run(), VTSGML_DONE);
    EXPECT_EQ(r.run(), VTSGML_DONE);
}

TEST(vtsgml, SizeLimitCountsEveryChunkAdded) {
    recorder r(0x1);
    r.add(std::string(65535, 'a'));
    EXPECT_EQ(r.run(), VTSGML_MORE);
    r.add("b");
    EXPECT_EQ(r.run(), VTSGML_SIZE_EXCEEDED);
    recorder big(0x1);
    big.set_size_limit(vtlexer::tagged_size_limit);
    big.add(std::string(65536, 'a'));
    EXPECT_EQ(big.run(), VTSGML_MORE);
}

TEST(vtsgml, ErrorTextWordsEachResult) {
    recorder r(0x1);
    r.add("ab\ncde");
    r.set_input_complete();
    ASSERT_EQ(r.run(), VTSGML_DONE);
    EXPECT_EQ(error_text(r, 10000), "Line: 2, column: 4\r\nError: misplaced end tag.\r\n");
    EXPECT_EQ(error_text(r, 10001), "Line: 2, column: 4\r\nError: unclosed tag.\r\n");
    EXPECT_EQ(error_text(r, 1), "Line: 2, column: 4\r\nError: size exceeded.\r\n");
    EXPECT_EQ(error_text(r, 3), "Line: 2, column: 4\r\nError: unknown error.\r\n");
    EXPECT_EQ(error_text(r, 2), "Line: 2, column: 4\r\nError: ");
}
