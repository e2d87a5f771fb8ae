#include "html/xml_node.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "html/vthtml.h"
#include "html/vtxml.h"

namespace {

void read_into(xml_tree& tree, std::string_view text, bool tagged) {
    auto run = [&](auto&& reader) {
        for (size_t at = 0; at < text.size(); at += 16384) {
            reader.add(text.substr(at, 16384));
            ASSERT_EQ(reader.run(), VTSGML_MORE);
        }
        reader.set_input_complete();
        ASSERT_EQ(reader.run(), VTSGML_DONE);
    };
    if (tagged)
        run(vtxml(tree));
    else
        run(vthtml(tree));
}

// Every link agrees with the link back, and the nodes come in document order.
int64_t checked_nodes(const xml_tree& tree) {
    int64_t count = 0;
    for (const xml_node* n = tree.first(); n; n = xml_tree::next(n), ++count) {
        if (const xml_node* next = n->next) {
            EXPECT_EQ(next->prev.get(), n);
        }
        if (const xml_node* child = n->first_child) {
            EXPECT_EQ(child->parent.get(), n);
            EXPECT_EQ(child->prev.get(), nullptr);
            EXPECT_EQ(n->last_child->next.get(), nullptr);
            EXPECT_EQ(n->last_child->parent.get(), n);
        }
        if (::testing::Test::HasFailure()) break;
    }
    return count;
}

}  // namespace

// Links are node numbers found through the segment a node lies in: they must
// hold across many segments, slabs and moves of the segment table, after the
// tree itself moved, and for nodes moved between far segments.
TEST(xml_tree, LinksHoldAcrossSegmentsAndMoves) {
    std::string page;
    for (int i = 0; page.size() < (4u << 20); ++i)
        page += "<div><h2>Part " + std::to_string(i) + "</h2><p>Text <em>a</em> b.\n</div>";
    xml_tree read;
    read_into(read, page, false);
    xml_tree moved(std::move(read));
    EXPECT_TRUE(read.empty());
    xml_tree tree;
    tree.add_leading_empty_node();
    tree = std::move(moved);
    const int64_t nodes = checked_nodes(tree);
    EXPECT_EQ(static_cast<size_t>(nodes), tree.pool_size());
    EXPECT_GT(nodes, 500000);
    // The first div goes before the last one: from the first segment into
    // the last.
    xml_node* first = tree.first();
    tree.unlink(first);
    tree.insert_before(first, tree.last_top());
    EXPECT_EQ(checked_nodes(tree), nodes);
    vtstring out;
    write_tree(tree, out);
    const size_t one = page.find("<div>", 1);
    const size_t last = page.rfind("<div>");
    EXPECT_EQ(out.view(), page.substr(one, last - one) + page.substr(0, one) + page.substr(last));
}

// A reader folding closed elements gives the places of their nodes back as
// it goes: the tree holds the nodes that must stay, in order, with every link
// right, each node made once, and the page's bytes.
TEST(xml_tree, FoldingKeepsWhatMustStayAndTheBytes) {
    std::string page;
    int headings = 0;
    int spans = 0;
    for (int i = 0; page.size() < (4u << 20); ++i) {
        page += "<div><p>Text <em>a</em> <a href=x>b</a>.\n<table><tr><td>1<td>2</tr></table>";
        if (i % 50 == 0) page += "<h2>Part <b>" + std::to_string(headings++) + "</b></h2>";
        page += "<P>unclosed<br> ";
        if (i % 20 == 0) page += "<span id=s" + std::to_string(spans++) + ">x</span>";
        page += "<a>y</a></div>\n";
    }
    xml_tree tree;
    byte_block block = make_byte_block(page.size());
    std::memcpy(block.get(), page.data(), page.size());
    const std::string_view bytes(block.get(), page.size());
    tree.adopt(std::move(block));
    vthtml reader(tree);
    reader.fold_by([](const xml_node* n) {
        if (n->name == "h2") return fold_rule::keep_inside;
        vtstring id;
        if (n->attribute("id", id)) return fold_rule::keep;
        return n->name == "a" ? fold_rule::stand : fold_rule::fold;
    });
    for (size_t at = 0; at < bytes.size(); at += 16384) {
        reader.add_in_place(bytes.substr(at, 16384));
        ASSERT_EQ(reader.run(), VTSGML_MORE);
    }
    reader.set_input_complete();
    ASSERT_EQ(reader.run(), VTSGML_DONE);
    const int64_t nodes = checked_nodes(tree);
    EXPECT_EQ(static_cast<size_t>(nodes), tree.pool_size());
    int kept_headings = 0, ids = 0, folded_away = 0;
    for (const xml_node* n = tree.first(); n; n = xml_tree::next(n)) {
        kept_headings +=
            n->kind == xml_kind::start_tag && n->name == "h2" && n->first_child->next->name == "b";
        ids += n->kind == xml_kind::start_tag && n->name == "span";
        folded_away += n->name == "em" || n->name == "td" || n->name == "table";
        EXPECT_TRUE(n->kind != xml_kind::folded || !n->first_child);
    }
    EXPECT_EQ(kept_headings, headings);
    EXPECT_EQ(ids, spans);
    EXPECT_EQ(folded_away, 0);
    xml_tree unfolded;
    read_into(unfolded, page, false);
    EXPECT_LT(nodes * 5, static_cast<int64_t>(unfolded.pool_size()));
    vtstring out;
    write_tree(tree, out);
    EXPECT_EQ(out.view(), page);
}

// What the tagged reader keeps beside a node is found again for nodes in any
// segment.
TEST(xml_tree, TaggedRecordsFollowTheirNodes) {
    std::string text;
    for (int i = 0; i < 40000; ++i)
        text += "<source a=\"" + std::to_string(i) + "\">p&amp;" + std::to_string(i) + "</source>";
    xml_tree tree;
    read_into(tree, text, true);
    int i = 0;
    vtstring value;
    for (const xml_node* n = tree.first(); n; n = n->next, ++i) {
        ASSERT_TRUE(n->attribute("a", value));
        ASSERT_EQ(value, std::to_string(i));
        ASSERT_EQ(n->first_child->text(), "p&" + std::to_string(i));
    }
    EXPECT_EQ(i, 40000);
}
