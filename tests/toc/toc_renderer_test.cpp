#include "toc/toc_renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toc/page_fixture.h"
#include "toc/toc_events.h"

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

// Appends the whole rendering to text; false, with text unchanged, when the
// template cannot be opened or read to its end.
bool render_into(std::string& text, const toc_tree& toc, const toc_node* start,
                 const std::string& template_path) {
    toc_renderer renderer;
    if (!renderer.open(template_path)) return false;
    std::string rendered;
    if (!renderer.render(toc, start, [&](std::string_view piece) { rendered += piece; }))
        return false;
    text += rendered;
    return true;
}

class toc_renderer_test : public ::testing::Test {
  protected:
    toc_node* add(toc_node* parent, const char* text, const char* numbering = "") {
        toc_node* n = toc.make();
        toc.set_text(n, text);
        toc.set_link(n, std::string("#") + text);
        toc.set_numbering(n, numbering);
        if (parent)
            toc.append_child(n, parent);
        else
            toc.append_top(n);
        return n;
    }
    // The template's output alone, between the fixed texts.
    std::string render(const toc_node* start, const std::string& tmpl) {
        std::string text;
        EXPECT_TRUE(render_into(text, toc, start, dir.write("toc.html", tmpl)));
        EXPECT_TRUE(text.starts_with(kStart + kComment));
        EXPECT_TRUE(text.ends_with(kEnd));
        if (text.size() < kStart.size() + kComment.size() + kEnd.size()) return text;
        return text.substr(kStart.size() + kComment.size(),
                           text.size() - kStart.size() - kComment.size() - kEnd.size());
    }

    temp_folder dir;
    toc_tree toc;
};

TEST_F(toc_renderer_test, WithoutStartItemOnlyMarkersAndComment) {
    std::string text;
    ASSERT_TRUE(render_into(text, toc, nullptr, dir.write("t.html", kDump)));
    EXPECT_EQ(text, kStart + kComment + kEnd);
}

TEST_F(toc_renderer_test, UnreadableTemplateAddsNothing) {
    add(nullptr, "A");
    std::string text = "before";
    EXPECT_FALSE(render_into(text, toc, toc.first(), dir.file("missing.html")));
    EXPECT_FALSE(render_into(text, toc, nullptr, dir.file("missing.html")));
    // Opens, but every read fails: no TOC rather than a truncated one.
    EXPECT_FALSE(render_into(text, toc, toc.first(), "/proc/self/mem"));
    EXPECT_EQ(text, "before");
}

TEST_F(toc_renderer_test, EventsOpenEveryItemAndCloseItemsWithChildren) {
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

TEST_F(toc_renderer_test, FlatListHasNoClosingEvents) {
    add(nullptr, "A");
    add(nullptr, "B");
    add(nullptr, "C");
    EXPECT_EQ(render(toc.first(),
                     "<!--#for var=\"item\"--><!--#echo var=\"open\"--><!--#echo var=\"text\"-->"
                     "<!--#endfor-->"),
              "1A1B1C");
}

TEST_F(toc_renderer_test, LocalTocClosesAncestorsNeverOpened) {
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

TEST_F(toc_renderer_test, IndentationRepeatsTheUnitPerLevel) {
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

TEST_F(toc_renderer_test, UnfinishedTemplateStillEndsWithEndMarker) {
    add(nullptr, "A");
    EXPECT_EQ(render(toc.first(), "x<!--#for var=\"item\"-->lost<!--#echo var=\"text\"-->tail"),
              "xtail");
}

TEST_F(toc_renderer_test, DirectiveAcrossReadChunksIsWhole) {
    add(nullptr, "A");
    for (size_t before : {16384 - 10, 16384 - 1, 16384 + 0}) {
        const std::string pad(before, '.');
        EXPECT_EQ(render(toc.first(), pad + "<!--#echo var=\"text\"-->!"), pad + "A!");
    }
}

TEST_F(toc_renderer_test, DeepTreeIsWalkedWithoutRecursion) {
    const int depth = 100000;
    toc_node* parent = nullptr;
    for (int i = 0; i < depth; ++i) parent = add(parent, "x");
    const std::string out =
        render(toc.first(), "<!--#for var=\"item\"--><!--#echo var=\"open\"--><!--#endfor-->");
    EXPECT_EQ(out, std::string(depth, '1') + std::string(depth - 1, '0'));
}

}  // namespace

// Heading levels as a page list makes them: each item goes under the last
// item of a lower level. Items are named by their index.
void add_levels(toc_tree& toc, const std::vector<int>& levels, size_t count) {
    std::vector<toc_node*> made;
    for (size_t i = 0; i < count; ++i) {
        toc_node* n = toc.make();
        toc.set_text(n, std::to_string(i));
        toc_node* parent = nullptr;
        for (size_t j = made.size(); j-- > 0 && !parent;)
            if (levels[j] < levels[i]) parent = made[j];
        if (parent)
            toc.append_child(n, parent);
        else
            toc.append_top(n);
        made.push_back(n);
    }
}

// "text/level/children" of every event, "/" alone for a closing one.
std::string events_text(toc_events events) {
    std::string out;
    for (int32_t i = 0; i < events.count(); ++i) {
        const toc_event& e = events.at(i);
        out += e.item ? std::string(e.item->text()) + "/" + std::to_string(e.level) +
                            (events.has_children(e.item) ? "+ " : " ")
                      : "/" + std::to_string(e.level) + " ";
    }
    return out;
}

// A page's local TOC is rendered once the next page is read: ended before
// the next page's first item, it gives the events of the tree as it stood
// at the page's end, whatever the next pages add under its headings or
// after them.
TEST(toc_events, EndItemActsAsTheEndOfTheTree) {
    const std::vector<std::vector<int>> sites = {
        {1, 2, 2, 1, 2},        // a page under a heading, the next one under it and then beside it
        {1, 2, 3, 3, 2, 1, 3},  // deeper, and a level skipped
        {2, 1, 1, 3, 2, 1},
        {0, 1, 2, 0, 1, 1, 0},  // page titles
    };
    for (const std::vector<int>& levels : sites) {
        toc_tree whole;
        add_levels(whole, levels, levels.size());
        std::vector<const toc_node*> items;
        for (const toc_node* n = whole.first(); n; n = toc_tree::next(n)) items.push_back(n);
        for (size_t end = 1; end < items.size(); ++end) {
            toc_tree before;
            add_levels(before, levels, end);
            std::vector<const toc_node*> kept;
            for (const toc_node* n = before.first(); n; n = toc_tree::next(n)) kept.push_back(n);
            for (size_t start = 0; start < end; ++start) {
                EXPECT_EQ(events_text(toc_events(items[start], items[end])),
                          events_text(toc_events(kept[start])))
                    << "levels " << testing::PrintToString(levels) << ", from " << start
                    << " before " << end;
            }
        }
    }
}
