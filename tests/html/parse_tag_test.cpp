#include "html/parse_tag.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// "name|a=1|b=2" in key order.
std::string split(std::string_view bytes, bool lower = true, bool backslash = false) {
    vtstring name;
    vthash attributes;
    parse_tag(bytes, name, &attributes,
              (lower ? tag_flags::lower_case : tag_flags::none) |
                  (backslash ? tag_flags::backslash_escapes : tag_flags::none));
    std::string out = name.str();
    for (const auto& [key, e] : attributes) out += "|" + key + "=" + std::string(e.value.text());
    return out;
}

}  // namespace

TEST(parse_tag, NameIsFirstRunOfNameBytes) {
    EXPECT_EQ(split("P CLASS=Intro"), "p|class=Intro");
    EXPECT_EQ(split("/-.9h1.x-2 a=b"), "h1.x-2|a=b");
    EXPECT_EQ(split("a=b"), "ab");
    EXPECT_EQ(split("br/"), "br");
    EXPECT_EQ(split("Div", false), "Div");
}

TEST(parse_tag, ValuesQuotedUnquotedAndMissing) {
    EXPECT_EQ(split("a href=\"x y\" title='it''s' alt=q\"r s\" checked"),
              "a|alt=r s|checked=|href=x y|title=it");
    EXPECT_EQ(split("img src=a.gif/"), "img|src=a.gif/");
    EXPECT_EQ(split("x a = \"1\" b c="), "x|a=1|b=|c=");
    EXPECT_EQ(split("x a=\"1\"b='2'"), "x|a=1|b=2");
    EXPECT_EQ(split("x a=\"open"), "x|a=open");
}

TEST(parse_tag, RepeatedNameKeepsTheLastValue) {
    EXPECT_EQ(split("x ID=1 id=2"), "x|id=2");
    EXPECT_EQ(split("x ID=1 id=2", false), "x|ID=1|id=2");
}

TEST(parse_tag, HighBytesAreNoNameBytesButStayInValues) {
    EXPECT_EQ(split("X \xc3\x89"
                    "A=\xc3\x89"
                    "Z"),
              "x|a=\xc3\x89Z");
}

TEST(parse_tag, QuotedTextOutsideValuesIsSkipped) {
    EXPECT_EQ(split("x \"a=1 b\" c=2"), "x|c=2");
}

TEST(parse_tag, BackslashEscapesOnlyWhenAsked) {
    EXPECT_EQ(split("!--#echo var=\"a\\\"b\"", true, true), "echo|var=a\"b");
    EXPECT_EQ(split("!--#echo var=\"a\\\"b\"", true, false), "echo|b=|var=a\\");
}

TEST(parse_tag, NameOnlyAndFastNameAgree) {
    for (std::string_view bytes :
         {"p class=x", "P", "a=b c", "/Div x", "h1\tid=a", "\"q\" b", "x.y-z/", "", "123"}) {
        vtstring full;
        parse_tag(bytes, full, nullptr, tag_flags::lower_case | tag_flags::name_only);
        vtstring scratch;
        EXPECT_EQ(parse_tag_name(bytes, scratch, tag_flags::lower_case), full.view()) << bytes;
    }
}

TEST(parse_tag, OneAttributeLookupAgreesWithTheMap) {
    for (std::string_view bytes :
         {"a name=x href='y'", "A NAME=\"Up\" name=last", "a href=x name", "a x=\"1 name=2\" b",
          "a=name name=v", "img src=a.gif alt=\"a'b\"", "a name='it''s' z", "a\tname=\t\"t\"\r\n",
          "a name=un\"quoted\" b", "p", ""}) {
        vtstring name;
        vthash map;
        parse_tag(bytes, name, &map, tag_flags::lower_case);
        for (const auto& [key, e] : map) {
            vtstring value = "stale";
            vtstring tag_name = "stale";
            ASSERT_TRUE(parse_tag_attribute(bytes, key, value, tag_flags::lower_case, &tag_name))
                << bytes << " " << key;
            EXPECT_EQ(value, e.value.text()) << bytes << " " << key;
            EXPECT_EQ(tag_name, name) << bytes;
            EXPECT_TRUE(parse_tag_has_attribute(bytes, key, tag_flags::lower_case)) << bytes;
        }
        vtstring untouched = "kept";
        EXPECT_FALSE(parse_tag_attribute(bytes, "missing", untouched, tag_flags::lower_case))
            << bytes;
        EXPECT_FALSE(parse_tag_has_attribute(bytes, "missing", tag_flags::lower_case)) << bytes;
        EXPECT_EQ(untouched, "kept");
    }
    // The buffers a thread keeps between tags carry nothing over, after a
    // tag far bigger than they keep, too.
    const std::string huge = "a title=\"" + std::string(200000, 'x') + "\" name=big";
    vtstring big;
    ASSERT_TRUE(parse_tag_attribute(huge, "title", big, tag_flags::lower_case));
    EXPECT_EQ(big.length(), 200000);
    EXPECT_EQ(split("b c=1"), "b|c=1");
    EXPECT_FALSE(parse_tag_has_attribute("b c=1", "name", tag_flags::lower_case));
    vtstring v;
    EXPECT_FALSE(parse_tag_attribute("A NAME=x", "NAME", v, tag_flags::lower_case))
        << "names are lowered";
    EXPECT_TRUE(parse_tag_attribute("A NAME=x", "NAME", v, tag_flags::none));
    EXPECT_TRUE(parse_tag_attribute("a t=\"a\\\"b\"", "t", v,
                                    tag_flags::lower_case | tag_flags::backslash_escapes));
    EXPECT_EQ(v, "a\"b");
}

TEST(parse_tag, FastNameAgreesForEveryByte) {
    for (int c = 0; c < 256; ++c) {
        const char b = static_cast<char>(c);
        for (std::string bytes : {std::string(1, b) + "ab", "a" + std::string(1, b) + "B c",
                                  "Ab" + std::string(1, b), std::string(1, b)}) {
            for (tag_flags lower : {tag_flags::lower_case, tag_flags::none}) {
                vtstring full;
                parse_tag(bytes, full, nullptr, lower | tag_flags::name_only);
                vtstring scratch;
                EXPECT_EQ(parse_tag_name(bytes, scratch, lower), full.view()) << c;
            }
        }
    }
}
