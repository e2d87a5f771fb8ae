#include "files/path_pattern.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files/vtfile_test_util.h"

using file_test::put;
using file_test::scratch_dir;

namespace fs = std::filesystem;

TEST(name_pattern, MatchesCharactersSetsAndRuns) {
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"a*b*c", "aXbYbZc", true},  // a later "*" retried, not only the first
        {"a*b*c", "aXbYbZ", false},
        {"*", "", true},
        {"*x", "", false},
        {"?", "", false},
        {"?", "\xc3\xa9", true},  // one UTF-8 character is one "?"
        {"??", "\xc3\xa9", false},
        {"?", "\xe9", true},  // a byte that is no UTF-8 is a character of its own
        {"caf?.html", "caf\xe9.html", true},
        {"[]]", "]", true},
        {"[!]]", "]", false},
        {"[a-]", "-", true},
        {"[a-c]", "b", true},
        {"[^a-c]", "b", false},
        {"[\xc3\xa0-\xc3\xaf]", "\xc3\xa9", true},  // a range of characters, not of bytes
        {"[[]x]", "[x]", true},
        {"[*]", "*", true},
        {"[*]", "a", false},
        {"x.html", "x.html", true},
        {"x.html", "x.htm", false},
    };
    for (const auto& c : cases) {
        name_pattern p;
        ASSERT_TRUE(p.compile(c.pattern)) << c.pattern;
        EXPECT_EQ(p.matches(c.name), c.matches) << c.pattern << " / " << c.name;
    }
    name_pattern p;
    EXPECT_FALSE(p.compile("ch[ab"));
    EXPECT_FALSE(p.compile("[]"));
}

// A site with numbered, hidden, blank-holding and non-UTF-8 names, folders
// at several depths and a link back up; its folder's own name has wildcards.
class path_pattern_site : public ::testing::Test {
  protected:
    void SetUp() override {
        site_ = dir_ / "my [site]*";
        for (const char* folder : {"", "/ch", "/ch/sub", "/0", "/.git", "/empty"})
            fs::create_directory(site_ + folder);
        for (const char* page :
             {"1.html", "2.html", "10.html", "a.html", "B.html", "intro notes.html",
              "caf\xc3\xa9.html", "caf\xe9.html", "[x].html", ".hidden.html", "notes.txt",
              "ch/1.html", "ch/sub/deep.html", "0/z.html", ".git/x.html"})
            put(site_ + "/" + page, "<h1>x</h1>");
        fs::create_directory_symlink("..", site_ + "/ch/sub/loop");
        // Another user's links are not followed; only root can make them.
        if (geteuid() == 0) {
            for (const char* link : {"theirs.html", "theirs"}) {
                const std::string path = site_ + "/" + link;
                fs::create_symlink(link[6] ? "1.html" : "ch", path);
                ASSERT_EQ(lchown(path.c_str(), 65534, 65534), 0);
            }
        }
    }

    scratch_dir dir_;
    std::string site_;
};

TEST_F(path_pattern_site, ListsMatchingFilesInNaturalPathOrder) {
    const std::vector<std::string> top = {"1.html",           "2.html",       "10.html",
                                          "[x].html",         "a.html",       "B.html",
                                          "caf\xc3\xa9.html", "caf\xe9.html", "intro notes.html"};
    std::vector<std::string> deep = top;
    deep.insert(deep.end(), {"0/z.html", "ch/1.html", "ch/sub/deep.html"});
    const struct {
        std::string pattern;
        std::vector<std::string> pages;  // below the site; none: no match
    } cases[] = {
        {"*.html", top},
        {"**/*.html", deep},  // a folder's own pages first; a loop entered once
        {"**/**/*.html", deep},
        {"ch/**", {"ch/1.html", "ch/sub/deep.html"}},
        {"ch//sub\\*", {"ch/sub/deep.html"}},
        {"*/*.html", {"0/z.html", "ch/1.html"}},
        {"?.html", {"1.html", "2.html", "a.html", "B.html"}},
        {"[0-9]*.html", {"1.html", "2.html", "10.html"}},
        {"caf?.html", {"caf\xc3\xa9.html", "caf\xe9.html"}},
        {"[[]x].html", {"[x].html"}},
        {"intro notes.html", {"intro notes.html"}},
        {".*", {".hidden.html"}},
        {".git/*", {".git/x.html"}},
        {"ch/sub/loop/*.html", {"ch/sub/loop/1.html"}},  // an own link, named as written
        {"*.txt", {"notes.txt"}},
        {"*.htm", {}},
        {"empty/**", {}},
        {"none/*.html", {}},
        {"ch", {}},  // a folder is no page
        {"", {}},
    };
    for (const auto& c : cases) {
        path_pattern p;
        ASSERT_EQ(p.compile(c.pattern), path_pattern::result::ok) << c.pattern;
        std::vector<std::string> want;
        for (const std::string& page : c.pages) want.push_back(site_ + "/" + page);
        const auto expected =
            want.empty() ? path_pattern::result::no_match : path_pattern::result::ok;
        // From the site's folder, and as one pattern with the folder's name
        // in it.
        std::vector<std::string> got;
        EXPECT_EQ(p.expand(site_, got), expected) << c.pattern;
        EXPECT_EQ(got, want) << c.pattern;
        path_pattern whole;
        ASSERT_EQ(whole.compile(path_pattern_in_folder(site_, c.pattern)),
                  path_pattern::result::ok);
        got.clear();
        EXPECT_EQ(whole.expand("", got), expected) << c.pattern;
        EXPECT_EQ(got, want) << c.pattern;
    }
}

TEST_F(path_pattern_site, RefusesBadPatternsAndForeignFolders) {
    path_pattern p;
    EXPECT_EQ(p.compile("ch/[ab/*.html"), path_pattern::result::unclosed_bracket);
    std::vector<std::string> got;
    EXPECT_EQ(p.expand(site_, got), path_pattern::result::no_match);
    if (geteuid() != 0) GTEST_SKIP() << "another user's link needs root to make";
    ASSERT_EQ(p.compile("theirs/*.html"), path_pattern::result::ok);
    std::string start;
    EXPECT_EQ(p.expand(site_, got, &start), path_pattern::result::foreign_link);
    EXPECT_EQ(start, site_ + "/theirs");
    EXPECT_TRUE(got.empty());
}
