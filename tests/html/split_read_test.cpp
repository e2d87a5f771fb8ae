// A page read whole with its tokens cut on a second thread gives the tree,
// the progress and the comment standing of the reader run alone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "html/comment_standing.h"
#include "html/html_chunks.h"
#include "html/vthtml.h"
#include "reader_harness.h"

namespace {

// Reads page into tree, split when asked; the tree owns the bytes.
void read_page(std::string_view page, xml_tree& tree, bool split) {
    byte_block block = make_byte_block(page.size() + 1);
    std::memcpy(block.get(), page.data(), page.size());
    const std::string_view bytes(block.get(), page.size());
    tree.adopt(std::move(block));
    vtstring error;
    html_chunks reader(tree, "page.html", error, html_chunks::in_place);
    if (split) {
        const uint32_t chunks[] = {static_cast<uint32_t>(bytes.size())};
        ASSERT_EQ(reader.read_split(bytes, chunks, 0, nullptr, nullptr), 0);
    } else {
        ASSERT_EQ(reader.add(bytes), 0);
        ASSERT_EQ(reader.finish(), 0);
    }
}

// For every node in order: whether it is a comment standing in the text.
std::vector<bool> comments_in_text(const xml_tree& tree) {
    comment_standing standing(tree);
    std::vector<bool> out;
    for (const xml_node* n = tree.first(); n; n = xml_tree::next(n))
        out.push_back(standing.comment_in_text(n));
    return out;
}

}  // namespace

// More names than the stream numbers, in several cases, some of them for
// elements that take no end tag, cross the progress steps.
TEST(split_read, ManyNamesInAnyCaseGiveTheReadersTreeAndProgress) {
    std::string page = "<!DOCTYPE html><HTML><Body>";
    for (int i = 0; i < 5000; ++i) {
        const std::string name = (i % 3 ? "x" : "X") + std::to_string(i);
        page += "<" + name + " a=1>t<BR><Img src=a/></" + name + "><!--c" + std::to_string(i) +
                "--></P>";
    }
    page += "</body><script>'<!--'</script><!--#end-->";
    html_all_ways(page);
    std::vector<int> progress;
    EXPECT_EQ(run_html_split(page, &progress).result, 0);
    std::vector<int> expected;
    for (size_t at = 16384; at - 16384 < page.size(); at += 16384)
        expected.push_back(
            static_cast<int>(static_cast<double>(std::min(at, page.size())) / page.size() * 100));
    EXPECT_EQ(progress, expected);
}

// The stream notes what a browser reads as comments of their own; the
// answers are those of reading every node's bytes.
TEST(split_read, CommentsStandInTheTextAsTheBytesSay) {
    const char* const pages[] = {
        "<p>a<!--x-->b<!--#velt_toc_start-->",
        "<script>var s = '<!--x-->';</script><!--y-->",
        "<p title=\"a><!--x-->\">t</p><!--y-->",
        "<!-- a -> <!--x--> --><!--y-->",
        "<style>p{}<!--x--></style><!--#d--><textarea><!--z--></textarea>",
        "<title><!--t--></TITLE><!--u-->",
    };
    for (const std::string_view page : pages) {
        SCOPED_TRACE(page);
        xml_tree split;
        read_page(page, split, true);
        ASSERT_FALSE(split.text_comments_found().bytes.empty());
        xml_tree alone;
        read_page(page, alone, false);
        EXPECT_EQ(comments_in_text(split), comments_in_text(alone));
    }
}

// From the first node that no longer stands for the bytes read on, the
// bytes are read: what the stream noted holds only before it.
TEST(split_read, AnEditedTreeIsReadFromTheEdit) {
    xml_tree tree;
    read_page("<!--a--><p>a</p><!--x-->", tree, true);
    EXPECT_EQ(comments_in_text(tree), (std::vector<bool>{true, false, false, false, true}));
    xml_node* comment = tree.last_top();
    tree.insert_before(tree.make_text("<script>"), comment);
    EXPECT_EQ(comments_in_text(tree), (std::vector<bool>{true, false, false, false, false, false}));
    tree.unlink(tree.first());
    tree.set_source(tree.first(), "<p title='");
    EXPECT_EQ(comments_in_text(tree), (std::vector<bool>{false, false, false, false, false}));
}
