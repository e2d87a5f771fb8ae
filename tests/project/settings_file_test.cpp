#include <gtest/gtest.h>

#include <random>
#include <string>

#include "project/vthash_array.h"
#include "support/temp_folder.h"

namespace {

std::string values_of(const vthash_array& map, std::string_view key) {
    std::string all;
    if (const vtarr* values = map.get_all(key))
        for (const vtval& v : *values) all += std::string(v.text()) + "|";
    return all;
}

}  // namespace

TEST(vthash_array, WritesKeysInByteOrderOneLinePerValue) {
    vthash_array map;
    map.add("source", vtval("b.html"));
    map.add("source", vtval("a.html"));
    map.add("indent", vtval("  "));
    EXPECT_EQ(map.serialize(),
              "<indent>  </indent>\r\n<source>b.html</source>\r\n<source>a.html</source>\r\n");
    EXPECT_EQ(vthash_array().serialize(), "");
}

TEST(vthash_array, EscapesMarkupAndHighBytes) {
    vthash_array map;
    map.add("k", vtval("a&b<c>d\"e'f\xe9"));
    EXPECT_EQ(map.serialize(), "<k>a&amp;b&lt;c&gt;d&quot;e'f&#233;</k>\r\n");
    vthash_array back;
    vtstring error;
    ASSERT_TRUE(back.parse(map.serialize(), error)) << error.str();
    EXPECT_EQ(values_of(back, "k"), "a&b<c>d\"e'f\xe9|");
}

TEST(vthash_array, ReadsOnlyElementsHoldingOneTextRun) {
    vthash_array map;
    vtstring error;
    ASSERT_TRUE(
        map.parse("<destination></destination>\r\n<e/>\r\n<a><b>x</b></a>\r\n<c><!--n-->y</c>\r\n"
                  "text outside\r\n<d><![CDATA[<raw &amp;>]]></d>\r\n<r>1</r><r>2</r>",
                  error))
        << error.str();
    EXPECT_FALSE(map.contains("destination"));
    EXPECT_FALSE(map.contains("e"));
    EXPECT_FALSE(map.contains("a"));
    EXPECT_EQ(values_of(map, "b"), "x|");
    EXPECT_FALSE(map.contains("c"));
    EXPECT_EQ(values_of(map, "d"), "<raw &amp;>|");
    EXPECT_EQ(values_of(map, "r"), "1|2|");
}

TEST(vthash_array, ReaderErrorsCarryLineAndColumn) {
    vthash_array map;
    vtstring error;
    EXPECT_FALSE(map.parse("<a>x\r\n<b>y</a>", error));
    EXPECT_EQ(error, "Line: 2, column: 9\r\nError: misplaced end tag.\r\n");
    EXPECT_EQ(map.count(), 0);
    EXPECT_FALSE(map.parse("<k>1</k>\r\n<a>x", error));
    EXPECT_EQ(error, "Line: 2, column: 5\r\nError: unclosed tag.\r\n");
    EXPECT_EQ(map.count(), 0);
}

TEST(vthash_array, LineEndSplitBetweenPiecesIsOneLineEnd) {
    // The CR ends the first 8,092-byte piece and the LF begins the next one.
    std::string value(8092 - 4, 'x');
    std::string file = "<k>" + value + "\r\ny</k>";
    vthash_array map;
    vtstring error;
    ASSERT_TRUE(map.parse(file, error)) << error.str();
    EXPECT_EQ(values_of(map, "k"), value + "\ny|");
}

TEST(vthash_array, MissingUnreadableAndOversizedFiles) {
    temp_folder dir;
    vthash_array map;
    vtstring error;
    EXPECT_FALSE(map.read(dir.file("none.txt"), error));
    EXPECT_EQ(error, "Can't open file " + dir.file("none.txt"));
    EXPECT_FALSE(map.read(dir.path(), error));
    EXPECT_EQ(error, "Can't open file " + dir.path());
    std::string big(16777216, ' ');
    EXPECT_FALSE(map.read(dir.write("big.txt", big), error));
    EXPECT_NE(error.view().find("size exceeded.\r\n"), std::string_view::npos);
    EXPECT_TRUE(map.read(dir.write("empty.txt", ""), error));
    EXPECT_EQ(map.count(), 0);
}

TEST(vthash_array, ReadErrorIsNotTakenForTheEndOfTheFile) {
    // /proc/self/mem opens, but reading its first bytes fails.
    vthash_array map;
    vtstring error;
    EXPECT_FALSE(map.read("/proc/self/mem", error));
    EXPECT_EQ(error, "Can't open file /proc/self/mem");
    EXPECT_EQ(map.count(), 0);
}

TEST(vthash_array, WhatIsWrittenReadsBackEqual) {
    std::mt19937 random(12345);
    const std::string alphabet = std::string("ab &<>\"';\r\n\t#0123456789") + "\x80\xe9\xff";
    temp_folder dir;
    for (int round = 0; round < 200; ++round) {
        vthash_array map;
        std::vector<std::string> written;
        int n = 1 + static_cast<int>(random() % 5);
        for (int i = 0; i < n; ++i) {
            std::string v;
            int len = static_cast<int>(random() % 20);
            for (int j = 0; j < len; ++j) v += alphabet[random() % alphabet.size()];
            map.add("key", vtval(v));
            written.push_back(v);
        }
        ASSERT_TRUE(map.write(dir.file("s.txt")));
        vthash_array back;
        vtstring error;
        ASSERT_TRUE(back.read(dir.file("s.txt"), error)) << error.str();
        std::string expected;
        for (std::string v : written) {
            // Line ends come back as LF; empty values are not read back.
            std::string lf;
            for (size_t i = 0; i < v.size(); ++i) {
                if (v[i] == '\r') {
                    lf += '\n';
                    if (i + 1 < v.size() && v[i + 1] == '\n') ++i;
                } else {
                    lf += v[i];
                }
            }
            if (!lf.empty()) expected += lf + "|";
        }
        EXPECT_EQ(values_of(back, "key"), expected);
    }
}
