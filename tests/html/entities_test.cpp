#include "html/entities.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string decode(std::string_view text, bool fold = false) {
    vthash table;
    fill_entity_table(table);
    vtstring s(text);
    decode_entities(s, table, fold);
    return s.str();
}

}  // namespace

TEST(entities, NamedReferencesOfTheTable) {
    EXPECT_EQ(decode("a &lt; b &amp;&amp; c"), "a < b && c");
    EXPECT_EQ(decode("&quot;&apos;&gt;"), "\"'>");
    EXPECT_EQ(decode("&nbsp;&Auml;&LT;&lt"), "&nbsp;&Auml;&LT;&lt");
    EXPECT_EQ(decode("&LT;&Amp;", true), "<&");
    EXPECT_EQ(decode("&NBSP;", true), "&NBSP;");
    EXPECT_EQ(decode("a & b; &1x;"), "a & b; &1x;");
}

TEST(entities, NumericReferencesGiveOneByte) {
    EXPECT_EQ(decode("&#x41;&#66;"), "AB");
    EXPECT_EQ(decode("&#X41;"), "&#X41;");
    EXPECT_EQ(decode("&#321;"), "A");
    EXPECT_EQ(decode("&#12ab;"), "\x0c");
    EXPECT_EQ(decode("&#xFf;"), "\xff");
    EXPECT_EQ(decode("&#0;x"), std::string("\0x", 2));
}

TEST(entities, NumericPassRunsFirst) {
    EXPECT_EQ(decode("&#38;amp;"), "&");
    EXPECT_EQ(decode("&#38;lt;"), "<");
    // The named pass does not rescan its own output.
    EXPECT_EQ(decode("&amp;lt;"), "&lt;");
}

TEST(entities, ReferencesAfterAZeroByteAreDecoded) {
    EXPECT_EQ(decode(std::string("a\0&lt;&#65;", 11)), std::string("a\0<A", 4));
    EXPECT_EQ(decode("&#0;&lt;"), std::string("\0<", 2));
}

TEST(entities, UntouchedTextIsNotCopied) {
    vthash table;
    fill_entity_table(table);
    vtstring s("plain & simple; &1x; &#X41;");
    s.reserve(200);
    const char* before = s.data();
    EXPECT_FALSE(decode_entities(s, table, false));
    EXPECT_EQ(s.data(), before);
}

TEST(entities, ValueBecomesAString) {
    vthash table;
    fill_entity_table(table);
    vtval number(42);
    decode_entities(number, table, false);
    EXPECT_TRUE(number.is_string());
    EXPECT_EQ(number.text(), "42");
}
