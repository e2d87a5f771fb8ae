#include "toc/render_toc.h"

#include <gtest/gtest.h>

#include <string>

#include "toc/page_fixture.h"

namespace {

const std::string kStart = "<!--VELT_HTML_TOC_START-->";
const std::string kComment =
    "\r\n<!--\r\nTOC is created by VELT Orvane.\r\nProject home: https://orvane.org/\r\n"
    "*Do not edit or delete* start and end tags wrapped within HTML comments.\r\n"
    "If you need to edit TOC, just regenerate it using the same project.\r\n-->\r\n";
const std::string kEnd = "<!--VELT_HTML_TOC_END-->";

// One line per event with every variable.
const std::string kDump =
    "<!--#for var=\"item\"--><!--#echo var=\"item\"-->|<!--#echo var=\"open\"-->|"
    "<!--#echo var=\"text\"-->|<!--#echo var=\"link\"-->|<!--#echo var=\"numbering\"-->|"
    "<!--#echo var=\"level\"-->|'<!--#echo var=\"indentation\"-->'|"
    "<!--#echo var=\"children\"-->\n<!--#endfor-->";

std::string joined(const vtarr& output) {
    std::string text;
    for (const vtval& v : output) text += v.text();
    return text;
}

class render_toc_test : public ::testing::Test {
  protected:
    toc_node* add(toc_node* parent, const char* text, const char* numbering = "") {
        toc_node* n = toc.make();
        n->text = text;
        n->link = std::string("#") + text;
        n->numbering = numbering;
        if (parent)
            toc.append_child(n, parent);
        else
            toc.append_top(n);
        return n;
    }
    // The template's output alone, between the fixed texts.
    std::string render(const toc_node* start, const std::string& tmpl) {
        vtarr output;
        EXPECT_EQ(render_toc(toc, output, start, dir.write("toc.html", tmpl)), 0);
        const std::string text = joined(output);
        EXPECT_TRUE(text.starts_with(kStart + kComment));
        EXPECT_TRUE(text.ends_with(kEnd));
        if (text.size() < kStart.size() + kComment.size() + kEnd.size()) return text;
        return text.substr(kStart.size() + kComment.size(),
                           text.size() - kStart.size() - kComment.size() - kEnd.size());
    }

    temp_folder dir;
    toc_tree toc;
};

TEST_F(render_toc_test, WithoutStartItemOnlyMarkersAndComment) {
    vtarr output;
    ASSERT_EQ(render_toc(toc, output, nullptr, dir.write("t.html", kDump)), 0);
    EXPECT_EQ(joined(output), kStart + kComment + kEnd);
}

TEST_F(render_toc_test, UnreadableTemplateAddsNothing) {
    add(nullptr, "A");
    vtarr output;
    output.push_back(vtval("before"));
    EXPECT_EQ(render_toc(toc, output, toc.first(), dir.file("missing.html")), 800);
    EXPECT_EQ(render_toc(toc, output, nullptr, dir.file("missing.html")), 800);
    // Opens, but every read fails: no TOC rather than a truncated one.
    EXPECT_EQ(render_toc(toc, output, toc.first(), "/proc/self/mem"), 800);
    EXPECT_EQ(joined(output), "before");
}

TEST_F(render_toc_test, EventsOpenEveryItemAndCloseItemsWithChildren) {
    toc_node* a = add(nullptr, "A", "1. ");
    add(a, "A1", "1.1. ");
    add(a, "A2", "1.2. ");
    add(nullptr, "B", "2. ");
    EXPECT_EQ(render(toc.first(), kDump),
              "1|1|A|#A|1. |0|''|1\n"
              "2|1|A1|#A1|1.1. |1|''|0\n"
              "3|1|A2|#A2|1.2. |1|''|0\n"
              "4|0||||0|''|1\n"
              "5|1|B|#B|2. |0|''|0\n");
}

TEST_F(render_toc_test, FlatListHasNoClosingEvents) {
    add(nullptr, "A");
    add(nullptr, "B");
    add(nullptr, "C");
    EXPECT_EQ(render(toc.first(),
                     "<!--#for var=\"item\"--><!--#echo var=\"open\"--><!--#echo var=\"text\"-->"
                     "<!--#endfor-->"),
              "1A1B1C");
}

TEST_F(render_toc_test, LocalTocClosesAncestorsNeverOpened) {
    // Two pages with title items; the local TOC of the first page starts
    // under its title and runs to the end of the tree.
    toc_node* t1 = add(nullptr, "T1");
    toc_node* h = add(t1, "H");
    add(h, "H1");
    toc_node* t2 = add(nullptr, "T2");
    add(t2, "K");
    const std::string tmpl =
        "<!--#for var=\"item\"--><!--#if var=\"open\"--><!--#echo var=\"text\"--><!--#else-->/"
        "<!--#endif--><!--#echo var=\"level\"--> <!--#endfor-->";
    EXPECT_EQ(render(h, tmpl), "H1 H12 /1 /0 T20 K1 /0 ");
}

TEST_F(render_toc_test, IndentationRepeatsTheUnitPerLevel) {
    toc_node* a = add(nullptr, "A");
    toc_node* b = add(a, "B");
    add(b, "C");
    const std::string tmpl =
        "<!--#for var=\"item\"-->'<!--#echo var=\"indentation\"-->'<!--#endfor-->";
    toc.indent = "  ";
    EXPECT_EQ(render(toc.first(), tmpl), "'''  ''    ''  '''");
    toc.indent = "";
    EXPECT_EQ(render(toc.first(), tmpl), "''''''''''");
}

TEST_F(render_toc_test, UnfinishedTemplateStillEndsWithEndMarker) {
    add(nullptr, "A");
    EXPECT_EQ(render(toc.first(), "x<!--#for var=\"item\"-->lost<!--#echo var=\"text\"-->tail"),
              "xtail");
}

TEST_F(render_toc_test, DirectiveAcrossReadChunksIsWhole) {
    add(nullptr, "A");
    for (size_t before : {16384 - 10, 16384 - 1, 16384 + 0}) {
        const std::string pad(before, '.');
        EXPECT_EQ(render(toc.first(), pad + "<!--#echo var=\"text\"-->!"), pad + "A!");
    }
}

TEST_F(render_toc_test, DeepTreeIsWalkedWithoutRecursion) {
    const int depth = 100000;
    toc_node* parent = nullptr;
    for (int i = 0; i < depth; ++i) parent = add(parent, "x");
    const std::string out =
        render(toc.first(), "<!--#for var=\"item\"--><!--#echo var=\"open\"--><!--#endfor-->");
    EXPECT_EQ(out, std::string(depth, '1') + std::string(depth - 1, '0'));
}

}  // namespace
