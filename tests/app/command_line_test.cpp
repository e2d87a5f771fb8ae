#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/vtarr.h"

namespace {

std::vector<std::string> split(std::string_view text) {
    vtarr args;
    split_command_line(text, args);
    std::vector<std::string> out;
    for (const vtval& v : args) out.emplace_back(v.text());
    return out;
}

using list = std::vector<std::string>;

}  // namespace

TEST(split_command_line, BlanksSeparateOnlySpaces) {
    EXPECT_EQ(split(""), list{});
    EXPECT_EQ(split("   "), list{});
    EXPECT_EQ(split("-command  p.txt "), (list{"-command", "p.txt"}));
    EXPECT_EQ(split("a\tb"), list{"a\tb"}) << "a tab is an ordinary byte";
}

TEST(split_command_line, QuotesGroupAndAreDropped) {
    EXPECT_EQ(split("-command \"C:/My Site/p.txt\""), (list{"-command", "C:/My Site/p.txt"}));
    EXPECT_EQ(split("\"\""), list{""}) << "two quotes make one empty argument";
    EXPECT_EQ(split("a \"\" b"), (list{"a", "", "b"}));
    EXPECT_EQ(split("ab\"cd"), list{"abcd"}) << "a quote inside a word is dropped";
    EXPECT_EQ(split("ab\"c d\"e"), (list{"abc", "de"})) << "no quoting inside a word";
    EXPECT_EQ(split("\"ab\"c"), (list{"ab", "c"})) << "a closing quote ends the argument";
    EXPECT_EQ(split("\"open to end"), list{"open to end"});
    EXPECT_EQ(split("x \""), list{"x"}) << "an empty unterminated quote adds nothing";
    EXPECT_EQ(split("\"a\\\"b\""), (list{"a\\", "b"})) << "a backslash does not escape";
}
