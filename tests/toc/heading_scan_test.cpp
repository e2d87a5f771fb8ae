#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "page_fixture.h"
#include "toc/html_toc.h"

namespace {

// One page scanned with the given settings; T is the time stamp 1000.
struct scanned {
    xml_tree document;
    toc_tree toc;
    html_toc scan;
    std::string out;

    explicit scanned(std::string_view html, int from = 1, int to = 6, bool numbering = false,
                     bool titles = false, std::string_view attrs = "") {
        parse_page(html, document);
        scan.document = &document;
        scan.toc = &toc;
        scan.range_from = from;
        scan.range_to = to;
        scan.process_numbering = numbering;
        scan.process_title = titles;
        scan.named_anchor_attributes = attrs;
        scan.time_stamp = 1000;
        scan.scan_headings();
        out = written(document);
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (toc_node* n = toc.first(); n; n = toc_tree::next(n))
            t.push_back(std::string(n->text()));
        return t;
    }
};

}  // namespace

// A heading that shows no text would be an invisible TOC entry: it is left
// as it is, and the headings around it are numbered as if it were not there.
TEST(html_toc, HeadingThatShowsNoTextGetsNoEntry) {
    const struct {
        const char* heading;
        bool blank;
    } cases[] = {
        {"<h2></h2>", true},
        {"<h2> \t\r\n\f</h2>", true},
        {"<h2>&nbsp;&#160;&#xA0;\xC2\xA0</h2>", true},
        {"<h2><b> </b><img src=\"x.png\"></h2>", true},
        {"<h2>0</h2>", false},
        {"<h2>&amp;</h2>", false},
        {"<h2>&nbsp;x</h2>", false},
        {"<h2>\xC2</h2>", false},
        {"<h2><b>\xC3\xA9</b></h2>", false},
    };
    for (const auto& c : cases) {
        const std::string page = std::string("<body><h1>A</h1>") + c.heading + "<h2>B</h2></body>";
        scanned s(page, 1, 6, true);
        if (c.blank) {
            EXPECT_EQ(s.texts(), (std::vector<std::string>{"A", "B"})) << c.heading;
            EXPECT_NE(s.out.find(c.heading), std::string::npos) << c.heading << " " << s.out;
            EXPECT_EQ(s.toc.first()->first_child->numbering(), "1.1. ") << c.heading;
        } else {
            EXPECT_EQ(s.texts().size(), 3u) << c.heading;
        }
    }
}

TEST(html_toc, HeadingWithoutAnyNodeAfterItIsNoHeading) {
    scanned s("<body><h2>");
    EXPECT_EQ(s.toc.first(), nullptr);
    EXPECT_EQ(s.out, "<body><h2>");
}

TEST(html_toc, HeadingNamesAndRange) {
    scanned s("<body><H3>a</H3><h7>b</h7><hr><h10>c</h10><h1>d</h1></body>", 2, 7);
    EXPECT_EQ(s.texts(), (std::vector<std::string>{"a", "b"}));
    scanned t("<body><h7>b</h7></body>");
    EXPECT_EQ(t.toc.first(), nullptr);
}

TEST(html_toc, AuthorAnchorIsReused) {
    scanned s(
        "<body><h1><a name=\"intro\">Intro</a></h1><h1><a name=\"\">x</a><a "
        "name=\"later\">y</a></h1>"
        "<h1><a name=\"\">z</a></h1></body>");
    toc_node* first = s.toc.first();
    EXPECT_EQ(first->link(), "#intro");
    EXPECT_EQ(first->next->link(), "#later");
    EXPECT_EQ(first->next->next->link(), "#velt_link_3_1000");
    EXPECT_EQ(s.out.find("<h1><a name=\"intro\">Intro</a></h1>"), 6u);
}

TEST(html_toc, AnchorAttributesAreCopiedVerbatim) {
    scanned s("<body><h1>x</h1></body>", 1, 6, false, false, " class=\"x\"");
    EXPECT_EQ(s.out, "<body><h1><a name=\"velt_link_1_1000\" class=\"x\">x</a></h1></body>");
}

TEST(html_toc, TitleCountsAsItemAndNestsHeadings) {
    scanned s("<html><head><title>Guide</title></head><body><h1>One</h1><h2>Two</h2></body></html>",
              1, 6, false, true);
    toc_node* title = s.toc.first();
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->heading_level, 0);
    EXPECT_EQ(title->text(), "Guide");
    EXPECT_EQ(title->link(), "");
    EXPECT_EQ(title->first_child->link(), "#velt_link_2_1000");
    EXPECT_EQ(title->first_child->first_child->text(), "Two");
}

TEST(html_toc, HeadingsBetweenTitleAndPlaceholderAreSkipped) {
    scanned s("<title>T</title><h1>before</h1><!-- toc --><h1>after</h1>", 1, 6, false, true);
    EXPECT_EQ(s.texts(), (std::vector<std::string>{"T", "after"}));
    EXPECT_NE(s.out.find("<h1>before</h1>"), std::string::npos);  // not touched
}

TEST(html_toc, SkippedLevelsNestUnderNearestSmallerLevel) {
    scanned s("<body><h1>A</h1><h3>B</h3><h2>C</h2><h1>D</h1></body>");
    toc_node* a = s.toc.first();
    EXPECT_EQ(a->first_child->text(), "B");
    EXPECT_EQ(a->first_child->next->text(), "C");
    EXPECT_EQ(a->first_child->next->next, nullptr);
    EXPECT_EQ(a->next->text(), "D");
}

TEST(html_toc, NumberingReplacesOldNumbers) {
    scanned s(
        "<body><h1>A</h1><h1>B</h1><h2>3. Old</h2><h3>  1.4.2.   Intro</h3>"
        "<h3>12 Monkeys</h3><h3>Intro 2</h3><h3><b>3.</b> Bold</h3></body>",
        1, 6, true);
    EXPECT_NE(s.out.find("<h2>2.1. <a name=\"velt_link_3_1000\">Old</a></h2>"), std::string::npos);
    EXPECT_NE(s.out.find("<h3>2.1.1. <a name=\"velt_link_4_1000\">Intro</a></h3>"),
              std::string::npos);
    EXPECT_NE(s.out.find("<h3>2.1.2. <a name=\"velt_link_5_1000\">Monkeys</a></h3>"),
              std::string::npos);
    EXPECT_NE(s.out.find("<h3>2.1.3. <a name=\"velt_link_6_1000\">Intro 2</a></h3>"),
              std::string::npos);
    EXPECT_NE(s.out.find("<h3>2.1.4. <a name=\"velt_link_7_1000\"><b></b>Bold</a></h3>"),
              std::string::npos);
    EXPECT_EQ(s.texts(),
              (std::vector<std::string>{"A", "B", "Old", "Intro", "Monkeys", "Intro 2", "Bold"}));
    std::vector<std::string> numbers;
    for (toc_node* n = s.toc.first(); n; n = toc_tree::next(n))
        numbers.push_back(std::string(n->numbering()));
    EXPECT_EQ(numbers, (std::vector<std::string>{"1. ", "2. ", "2.1. ", "2.1.1. ", "2.1.2. ",
                                                 "2.1.3. ", "2.1.4. "}));
}

TEST(html_toc, RebuildingANumberedPageChangesNothing) {
    scanned first("<body><h1>Intro</h1><h2>3. Old</h2><h2><b>4.</b> Bold</h2></body>", 1, 6, true);
    EXPECT_EQ(first.out,
              "<body><h1>1. <a name=\"velt_link_1_1000\">Intro</a></h1>"
              "<h2>1.1. <a name=\"velt_link_2_1000\">Old</a></h2>"
              "<h2>1.2. <a name=\"velt_link_3_1000\"><b></b>Bold</a></h2></body>");
    scanned second(first.out, 1, 6, true);
    EXPECT_EQ(second.out, first.out);
    EXPECT_EQ(second.texts(), first.texts());
}

TEST(html_toc, UnclosedHeadingGetsEndAnchorAfterLastChild) {
    scanned s("<body><h2>Title<p>para</p></body>");
    EXPECT_EQ(s.out, "<body><h2><a name=\"velt_link_1_1000\">Title<p>para</p></a></body>");
}

TEST(html_toc, TextOfHeadingKeepsEntitiesAndDropsTags) {
    scanned s("<body><h1>A &amp; <i>B</i>\r\n C</h1></body>");
    EXPECT_EQ(s.texts(), (std::vector<std::string>{"A &amp; B\r\n C"}));
}

TEST(html_toc, ItemsOfSeveralFilesShareOneTree) {
    toc_tree toc;
    toc_node* last = nullptr;
    for (const char* page : {"<body><h1>One</h1></body>", "<body><h2>Two</h2></body>"}) {
        xml_tree doc;
        parse_page(page, doc);
        html_toc scan;
        scan.document = &doc;
        scan.toc = &toc;
        scan.current_item = last;
        scan.time_stamp = 7;
        scan.scan_headings();
        last = scan.current_item;
    }
    EXPECT_EQ(toc.first()->first_child->text(), "Two");
    EXPECT_EQ(toc.first()->first_child->link(), "#velt_link_1_7");  // counters restart per file
}

TEST(html_toc, TensOfThousandsOfHeadingsNestAndNumberConsistently) {
    std::string page = "<body>";
    unsigned seed = 7;
    for (int i = 0; i < 30000; ++i) {
        seed = seed * 1103515245u + 12345u;
        int level = 1 + static_cast<int>((seed >> 16) % 6);
        page += "<h" + std::to_string(level) + ">t" + std::to_string(i) + "</h" +
                std::to_string(level) + ">";
    }
    scanned s(page, 1, 6, true);
    int items = 0;
    for (toc_node* n = s.toc.first(); n; n = toc_tree::next(n)) {
        ++items;
        // An item nests under a smaller level; an earlier sibling is never of a
        // smaller level (the item would have gone under it).
        if (n->parent) {
            EXPECT_LT(n->parent->heading_level, n->heading_level);
        }
        // Its number is its position among its siblings, after its parent's.
        int position = 1;
        const toc_node* prev = nullptr;
        for (const toc_node* p = n->parent ? n->parent->first_child : s.toc.first(); p != n;
             p = p->next, ++position)
            prev = p;
        if (prev) {
            EXPECT_GE(prev->heading_level, n->heading_level);
        }
        std::string expected =
            (n->parent
                 ? std::string(n->parent->numbering()).substr(0, n->parent->numbering().size() - 1)
                 : std::string()) +
            std::to_string(position) + ". ";
        ASSERT_EQ(std::string(n->numbering()), expected);
    }
    EXPECT_EQ(items, 30000);
}

TEST(html_toc, OnlyDigitsAndDotsBeforeABlankOrTheNodeEndAreOldNumbers) {
    const std::pair<const char*, const char*> cases[] = {
        {"2001: A Space Odyssey", "2001: A Space Odyssey"},
        {"3D graphics", "3D graphics"},
        {"1.5x", "1.5x"},
        {"1.4.2.   Intro", "Intro"},
        {"12 Monkeys", "Monkeys"},
        {"<b>3.</b> Intro", "<b></b>Intro"},
        {".5. Dots", "Dots"},
        {"  Spaced", "  Spaced"},  // white space without a number stays
        {" \n 4. Four", "Four"},
        {"<b>7</b>", "<b></b>"},
    };
    for (const auto& [heading, kept] : cases) {
        scanned s(std::string("<h1>") + heading + "</h1>", 1, 6, true);
        EXPECT_EQ(s.out, std::string("<h1>1. <a name=\"velt_link_1_1000\">") + kept + "</a></h1>")
            << heading;
        // Built again, the page stays as it is.
        EXPECT_EQ(scanned(s.out, 1, 6, true).out, s.out) << heading;
    }
}

TEST(html_toc, LinksHoldNoBareDoubleQuote) {
    scanned s(
        "<body><h1><a name='say \"hi\"'>x</a></h1><!--#velt_toc_nav_this link_last=\"1\"-->"
        "<h1><a name=\"a&amp;b\">y</a></h1></body>");
    EXPECT_EQ(s.toc.first()->link(), "#say &quot;hi&quot;");
    EXPECT_EQ(s.toc.first()->next->link(), "#a&amp;b");
    EXPECT_NE(s.out.find("<a href=\"#say &quot;hi&quot;\">x</a>"), std::string::npos) << s.out;
}
