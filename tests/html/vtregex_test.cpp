#include "html/vtregex.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

constexpr const char* placeholder = "<!--[ \t\r\n]*toc[ \t\r\n]*-->";

int match(const char* pattern, std::string subject, int cflags = 0, vtarr* groups = nullptr) {
    vtval p(pattern);
    vtval s(subject);
    return regex_match(p, cflags, s, groups);
}

// Runs the body under a UTF-8 process locale, as the window does.
class utf8_locale : public ::testing::Test {
  protected:
    void SetUp() override {
        old_ = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale";
    }
    void TearDown() override { std::setlocale(LC_ALL, old_.c_str()); }
    std::string old_;
};

}  // namespace

TEST(vtregex, LoadAlwaysSucceeds) {
    EXPECT_TRUE(regex_load());
    regex_unload();
    EXPECT_EQ(match("a", "a"), 0);
}

TEST(vtregex, PlaceholderCommentIgnoringCase) {
    EXPECT_EQ(match(placeholder, "x<!--\r\n  TOC \t-->y", REG_ICASE), 0);
    EXPECT_NE(match(placeholder, "<!-- tocs -->", REG_ICASE), 0);
    EXPECT_NE(match(placeholder, "<!-- TOC -->"), 0);
}

TEST(vtregex, GroupsWholeMatchFirstEmptyForAbsentGroups) {
    vtarr groups;
    groups.push_back(vtval("stale"));
    ASSERT_EQ(match("b(x)?c", "abcd", 0, &groups), 0);
    ASSERT_EQ(groups.count(), 2);
    EXPECT_EQ(groups[0].text(), "bc");
    EXPECT_EQ(groups[1].text(), "");
    ASSERT_EQ(match("([a-z]+)=([0-9]*)", "  key=", 0, &groups), 0);
    ASSERT_EQ(groups.count(), 3);
    EXPECT_EQ(groups[1].text(), "key");
    EXPECT_EQ(groups[2].text(), "");
}

TEST(vtregex, BadPatternFailsAndLeavesListEmpty) {
    vtarr groups;
    groups.push_back(vtval("stale"));
    EXPECT_NE(match("a(b", "a(b", 0, &groups), 0);
    EXPECT_EQ(groups.count(), 0);
}

TEST(vtregex, SubjectEndsAtItsFirstZeroByte) {
    EXPECT_NE(match("def", std::string("abc\0def", 7)), 0);
    EXPECT_EQ(match("abc$", std::string("abc\0def", 7)), 0);
}

TEST(vtregex, CachedPatternsKeepTheirFlags) {
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(match("ab", "xABy", REG_ICASE), 0);
        EXPECT_NE(match("ab", "xABy"), 0);
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(match(("p" + std::to_string(i)).c_str(), "p11p1"),
                      i == 1 || i == 11 ? 0 : REG_NOMATCH);
    }
}

TEST_F(utf8_locale, BytesAreCharactersWhateverTheLocale) {
    // Under UTF-8 rules "." would take the two bytes of "é" as one character
    // and refuse the invalid byte 0xff.
    EXPECT_EQ(match("^..$", "\xc3\xa9"), 0);
    EXPECT_EQ(match("^.$", "\xff"), 0);
    EXPECT_EQ(match("^[\x80-\xff]+$", "\xc3\xa9\xff"), 0);
    vtarr groups;
    ASSERT_EQ(match("(.)\xa9", "\xc3\xa9", 0, &groups), 0);
    EXPECT_EQ(groups[1].text(), "\xc3");
    EXPECT_EQ(match("\xc3\x89", "\xc3\xa9", REG_ICASE), REG_NOMATCH);
}
