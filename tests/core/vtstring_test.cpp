#include "core/vtstring.h"

#include <gtest/gtest.h>

#include "core/vtarr.h"
#include "core/vttext.h"

TEST(vtstring, GrowsBySixteenthAndKeepsLengthWhenTerminated) {
    vtstring s;
    for (int i = 0; i < 100; ++i) s.append('x');
    EXPECT_EQ(s.length(), 100);
    EXPECT_GE(s.capacity(), 100);
    s.c_str();
    EXPECT_EQ(s.length(), 100);
    vtstring t;
    t.append('a');
    EXPECT_EQ(t.capacity(), 3);
    vtstring u(std::string_view("0123456789abcdef0123"));  // 20 bytes
    EXPECT_EQ(u.capacity(), 20 + 20 / 16 + 2);
    u.set_length(5);
    EXPECT_EQ(u.capacity(), 23);
}

TEST(vtstring, HoldsZeroBytes) {
    vtstring s(std::string_view("a\0b", 3));
    EXPECT_EQ(s.length(), 3);
    EXPECT_EQ(s.find('b'), 2);
    EXPECT_EQ(s.find(std::string_view("\0b", 2)), 1);
}

TEST(vtstring, FindAtEdges) {
    vtstring s("abcabc");
    EXPECT_EQ(s.find("bc", 0), 1);
    EXPECT_EQ(s.find("bc", 2), 4);
    EXPECT_EQ(s.find("bc", 6), -1);
    EXPECT_EQ(s.find("bc", -1), -1);
    EXPECT_EQ(s.find_last("bc"), 4);
    EXPECT_EQ(s.find_last("abcabcabc"), -1);
    EXPECT_EQ(s.find_last('a'), 3);
}

TEST(vtstring, CompareOrdersBytesThenLength) {
    EXPECT_LT(vt_compare("10", "9"), 0);
    EXPECT_LT(vt_compare("ab", "abc"), 0);
    EXPECT_LT(vt_compare("", "a"), 0);
    EXPECT_EQ(vt_compare("", ""), 0);
    EXPECT_GT(vt_compare("\xe9", "z"), 0);  // unsigned bytes
    EXPECT_EQ(vt_compare_nocase("ABC", "abc"), 0);
    EXPECT_LT(vt_compare_nocase("abc", "ABD"), 0);
    EXPECT_NE(vt_compare_nocase("\xc9", "\xe9"), 0);  // only ASCII letters fold
}

TEST(vtstring, ReplaceAllFourCases) {
    vtstring a("a-b-c");
    a.replace_all("-", "+");
    EXPECT_EQ(a, "a+b+c");
    vtstring b("aba");
    b.replace_all("a", "aa");  // replacements are not rescanned
    EXPECT_EQ(b, "aabaa");
    vtstring c("x%2Fy%2F");
    c.replace_all("%2F", "/");
    EXPECT_EQ(c, "x/y/");
    vtstring d("one two one");
    d.replace_all("one", "three");
    EXPECT_EQ(d, "three two three");
    vtstring e("aaa");
    e.replace_all("aa", "b");  // non-overlapping, left to right
    EXPECT_EQ(e, "ba");
    vtstring f("abc");
    f.replace_all("", "x");
    EXPECT_EQ(f, "abc");
}

TEST(vtstring, LowerCaseTouchesAsciiOnly) {
    vtstring s("ÄBC-Éz");
    s.to_lower();
    EXPECT_EQ(s, "Äbc-Éz");
}

TEST(vtstring, MoveLeavesGiverEmpty) {
    vtstring a("text");
    vtstring b("other");
    b.take(a);
    EXPECT_EQ(b, "text");
    EXPECT_EQ(a.length(), 0);
    EXPECT_EQ(a.capacity(), 0);
}

TEST(vtstring, ErasePrefixAndSetLength) {
    vtstring s("abcdef");
    s.erase_prefix(0);
    s.erase_prefix(7);
    EXPECT_EQ(s, "abcdef");
    s.erase_prefix(2);
    EXPECT_EQ(s, "cdef");
    s.set_length(-1);
    EXPECT_EQ(s.length(), 4);
    s.set_length(2);
    EXPECT_EQ(s, "cd");
}

TEST(vttext, SplitKeepsEmptyPiecesAndHonoursMaximum) {
    vtarr out;
    vt_split("a//b/", "/", out);
    ASSERT_EQ(out.count(), 4);
    EXPECT_EQ(out[0].text(), "a");
    EXPECT_EQ(out[1].text(), "");
    EXPECT_EQ(out[2].text(), "b");
    EXPECT_EQ(out[3].text(), "");
    vt_split("a//b/", "/", out, 2);
    ASSERT_EQ(out.count(), 2);
    EXPECT_EQ(out[1].text(), "/b/");
    vt_split("x", "/", out, 1);  // count 1 leaves the list as it was
    EXPECT_EQ(out.count(), 2);
    vt_split("", "/", out);
    EXPECT_EQ(out.count(), 0);
    vt_split("abc", "", out);
    EXPECT_EQ(out.count(), 0);
}

TEST(vttext, UrlEncodingKeepsSlashes) {
    EXPECT_EQ(vt_url_encode_path("docs/My Page.html"), "docs/My%20Page.html");
    EXPECT_EQ(vt_url_encode_path("a\xe9#%:\\b"), "a%E9%23%25%3A%5Cb");
    EXPECT_EQ(vt_url_encode_path("../x_y-z.htm"), "../x_y-z.htm");
}

TEST(vttext, CommandLineQuoting) {
    EXPECT_EQ(vt_quote_command_line("/opt/my app/vorn1"), "\"/opt/my app/vorn1\"");
    EXPECT_EQ(vt_quote_command_line("/opt/app/vorn1"), "/opt/app/vorn1");
    EXPECT_EQ(vt_quote_command_line("a \"b\""), "\"a \\\"b\\\"\"");
    EXPECT_EQ(vt_quote_command_line("\"already quoted\""), "\"already quoted\"");
    EXPECT_EQ(vt_quote_command_line("tab\there"), "\"tab\there\"");
}

TEST(vttext, LineEndNormalisationDropsLoneCr) {
    EXPECT_EQ(vt_normalize_line_ends("a\r\nb\nc\rd"), "a\r\nb\r\ncd");
}

TEST(vttext, NumberReading) {
    EXPECT_EQ(vt_read_hex("e9"), 233u);
    EXPECT_EQ(vt_read_hex("E9"), 233u);
    EXPECT_EQ(vt_read_hex("e9g"), 0u);
    EXPECT_EQ(vt_read_decimal("  -42abc"), -42);
    EXPECT_EQ(vt_read_decimal("+7"), 7);
    EXPECT_EQ(vt_read_decimal("x1"), 0);
    EXPECT_EQ(vt_read_decimal(""), 0);
    EXPECT_DOUBLE_EQ(vt_read_real(" 2.5e1x"), 25.0);
}
