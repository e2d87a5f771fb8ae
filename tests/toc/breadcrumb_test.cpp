#include "toc/breadcrumb.h"

#include <gtest/gtest.h>

namespace {

class breadcrumb_test : public ::testing::Test {
  protected:
    toc_node* add(toc_node* parent, const char* text, const char* link, const char* numbering) {
        toc_node* n = toc.make();
        toc.set_text(n, text);
        toc.set_link(n, link);
        toc.set_numbering(n, numbering);
        if (parent)
            toc.append_child(n, parent);
        else
            toc.append_top(n);
        return n;
    }
    toc_tree toc;
};

TEST_F(breadcrumb_test, HigherItemsAreLinksSeparatedByArrows) {
    toc_node* a = add(nullptr, "TA", "LA", "NA");
    toc_node* b = add(a, "TB", "LB", "NB");
    toc_node* c = add(b, "TC", "LC", "NC");
    EXPECT_EQ(breadcrumb(c, false),
              "<a href=\"LA\">NATA</a> &gt; <a href=\"LB\">NBTB</a> &gt; NCTC");
    EXPECT_EQ(breadcrumb(c, true),
              "<a href=\"LA\">NATA</a> &gt; <a href=\"LB\">NBTB</a> &gt; <a href=\"LC\">NCTC</a>");
}

TEST_F(breadcrumb_test, TopLevelItemAlone) {
    toc_node* a = add(nullptr, "Intro", "#i", "");
    EXPECT_EQ(breadcrumb(a, false), "Intro");
    EXPECT_EQ(breadcrumb(a, true), "<a href=\"#i\">Intro</a>");
    // A title item of the page being scanned has no link yet.
    toc_node* title = add(nullptr, "Page", "", "");
    EXPECT_EQ(breadcrumb(add(title, "H", "#h", "1. "), false), "<a href=\"\">Page</a> &gt; 1. H");
}

TEST(link_last_value, LeadingNumberDecides) {
    vthash attrs;
    EXPECT_FALSE(link_last_value(attrs));
    const std::pair<const char*, bool> cases[] = {
        {"1", true}, {" 2x", true}, {"-1", true}, {"0", false}, {"", false}, {"yes", false},
    };
    for (const auto& [text, expected] : cases) {
        attrs.set(vtval("link_last"), vtval(text));
        EXPECT_EQ(link_last_value(attrs), expected) << text;
    }
}

}  // namespace
