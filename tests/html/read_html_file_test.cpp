#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/page_size_limit.h"
#include "html/vthtml.h"
#include "reader_harness.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> fixtures() {
    std::vector<fs::path> out;
    for (const auto& e : fs::recursive_directory_iterator(ORVANE_TEST_DATA "/html"))
        if (e.path().extension() == ".html") out.push_back(e.path());
    return out;
}

void record(int percent, void* context) {
    static_cast<std::vector<int>*>(context)->push_back(percent);
}

}  // namespace

TEST(read_html_file, EveryFixtureComesBackByteForByte) {
    const std::vector<fs::path> files = fixtures();
    ASSERT_GE(files.size(), 15u);
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.string());
        const std::string bytes = slurp(path);
        xml_tree tree;
        tree.add_leading_empty_node();
        vtstring error;
        ASSERT_EQ(read_html_file(path.string(), tree, error, nullptr, nullptr), 0);
        vtstring written;
        write_tree(tree, written);
        EXPECT_TRUE(written == bytes);
        // The same tree whole, in read-sized chunks and byte by byte.
        reader_outcome all = html_all_ways(bytes);
        EXPECT_EQ(all.written, bytes);
    }
}

TEST(read_html_file, MissingFileNamesThePath) {
    xml_tree tree;
    vtstring error;
    EXPECT_EQ(read_html_file("/nonexistent/page.html", tree, error, nullptr, nullptr), 1);
    EXPECT_EQ(error, "Can't open source file: /nonexistent/page.html");
    EXPECT_TRUE(tree.empty());
}

TEST(read_html_file, ProgressRisesPerReadAndEndsAtHundred) {
    temp_folder dir;
    const fs::path page = dir.write("p.html", std::string(40000, 'a'));
    xml_tree tree;
    vtstring error;
    std::vector<int> seen;
    ASSERT_EQ(read_html_file(page.string(), tree, error, record, &seen), 0);
    // 16384 / 40000 = 40.96 %, 32768 / 40000 = 81.92 %, then the rest.
    EXPECT_EQ(seen, (std::vector<int>{40, 81, 100, 100}));
}

TEST(read_html_file, SizeLimitNamesThePage) {
    temp_folder dir;
    xml_tree ok_tree;
    vtstring error;
    const fs::path below = dir.write("below.html", std::string(page_size_limit - 1, 'x'));
    EXPECT_EQ(read_html_file(below.string(), ok_tree, error, nullptr, nullptr), 0);

    const fs::path at = dir.write("at.html", std::string(page_size_limit, 'x'));
    xml_tree tree;
    EXPECT_EQ(read_html_file(at.string(), tree, error, nullptr, nullptr), VTSGML_SIZE_EXCEEDED);
    EXPECT_EQ(error, "Page is too large: " + at.string());
}

TEST(read_html_file, FolderIsNotReadAsAnEmptyPage) {
    temp_folder dir;
    const fs::path folder = dir.path();
    xml_tree tree;
    vtstring error;
    EXPECT_NE(read_html_file(folder.string(), tree, error, nullptr, nullptr), 0);
    EXPECT_FALSE(error.empty());
}

TEST(read_html_file, FailedReadIsNotTakenForTheEndOfTheFile) {
    // Reading this file fails at once (EIO); a page read in part must never
    // pass for a whole one, or it would be written back cut short.
    xml_tree tree;
    vtstring error;
    EXPECT_EQ(read_html_file("/proc/self/mem", tree, error, nullptr, nullptr), 1);
    EXPECT_EQ(error, "Can't open source file: /proc/self/mem");
}
