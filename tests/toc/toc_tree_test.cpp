#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toc/toc_node.h"

namespace {

// Texts kept early stay readable while many more follow, long ones that get
// blocks of their own and copies of texts the store already holds among
// them.
TEST(toc_texts, KeptTextsOutliveLaterOnes) {
    toc_texts texts;
    std::vector<std::pair<std::string_view, std::string>> kept;
    const std::string long_text(toc_texts::block_size, 'L');
    for (int i = 0; i < 20000; ++i) {
        std::string text = "item " + std::to_string(i);
        if (i % 997 == 0) text = long_text + text;
        if (i % 13 == 0 && !kept.empty()) text = std::string(kept[kept.size() / 2].first);
        const std::string_view from =
            i % 13 == 0 && !kept.empty() ? kept[kept.size() / 2].first : std::string_view(text);
        kept.emplace_back(texts.keep(from), text);
    }
    EXPECT_EQ(texts.keep(""), std::string_view());
    for (const auto& [view, text] : kept) ASSERT_EQ(view, text);
    EXPECT_LT(texts.reserved(), 2 * (20 * toc_texts::block_size + 20000 * 12));
}

// Items appended beside items that are no longer last (not what a scan does)
// still end their parent's children, in document order.
TEST(toc_tree, AppendsEndTheirParentsChildren) {
    toc_tree toc;
    const auto add = [&](const char* text, toc_node* parent) {
        toc_node* n = toc.make();
        toc.set_text(n, text);
        if (parent)
            toc.append_child(n, parent);
        else
            toc.append_top(n);
        return n;
    };
    toc_node* a = add("a", nullptr);
    toc_node* b = add("b", nullptr);
    add("b1", b);
    add("a1", a);
    toc_node* a2 = add("a2", a);
    add("c", nullptr);
    add("a21", a2);
    add("b2", b);
    add("d", nullptr);
    std::string order;
    for (const toc_node* n = toc.first(); n; n = toc_tree::next(n))
        order += std::string(n->text()) + std::to_string(toc_tree::depth(n)) + " ";
    EXPECT_EQ(order, "a0 a11 a21 a212 b0 b11 b21 c0 d0 ");
}

}  // namespace
