// Headings linked by ids, skipped headings, and a TOC block written with its
// page's line ends.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/build_project.h"
#include "page_fixture.h"
#include "project/toc_project.h"
#include "toc/heading_id.h"
#include "toc/html_toc.h"
#include "toc/page_line_end.h"
#include "toc/readable_id.h"
#include "toc/toc_writer.h"

namespace {

struct built {
    std::string page;
    std::vector<std::string> links;  // "text=link" of every item
};

built build(std::string_view html, bool ids, std::string_view skip = "", bool numbering = false,
            std::string_view heading_links = "", bool titles = false) {
    xml_tree document;
    parse_page(html, document);
    toc_tree toc;
    html_toc scan;
    scan.document = &document;
    scan.toc = &toc;
    scan.anchor_ids = ids;
    scan.skip_class = skip;
    scan.process_numbering = numbering;
    scan.named_anchor_attributes = " class=\"unused\"";
    scan.heading_links = heading_links;
    scan.process_title = titles;
    scan.time_stamp = 7;
    scan.scan_headings();
    built b{written(document), {}};
    for (toc_node* n = toc.first(); n; n = toc_tree::next(n))
        b.links.push_back(std::string(n->text()) + "=" + std::string(n->link()));
    return b;
}

using strings = std::vector<std::string>;

}  // namespace

TEST(readable_id, TextBecomesAShortLowerCaseId) {
    const std::string a63(63, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {"Getting started", "getting-started"},
        {"  C++ &amp; Rust!  ", "c-rust"},
        {"Caf&eacute; cr&#xE8;me &mdash; Notes", "caf\xC3\xA9-cr\xC3\xA8me-notes"},
        {"&#65;&#x42; 2.0", "ab-2-0"},
        {"\xC3\x9C"
         "ber \xE6\x97\xA5\xE6\x9C\xAC \xE2\x80\x94 ok",
         "\xC3\x9C"
         "ber-\xE6\x97\xA5\xE6\x9C\xAC-ok"},
        {"a&nbsp;b\xC2\xA0"
         "c",
         "a-b-c"},  // no-break spaces separate
        {"a\xFF\xC3"
         "b",
         "a-b"},  // broken UTF-8 never reaches an id
        {"&lt;script&gt;&quot;x&quot;", "script-x"},
        {"&unknown; &#0; &#xD800;x", "unknown-x"},
        {"", "section"},
        {" -- \xE2\x80\xA6 ", "section"},
        {std::string(70, 'A'), std::string(64, 'a')},
        {a63 + "\xC3\xA9", a63},  // a 2-byte letter does not fit
        {a63 + " b", a63},        // nor does "-b"
        {std::string(62, 'a') + " b", std::string(62, 'a') + "-b"},
    };
    for (const auto& [text, id] : cases) EXPECT_EQ(readable_id(text), id) << text;
}

TEST(heading_id, WrittenIdsAreFoundAgainAndNothingElse) {
    const std::pair<std::string, std::string> written_ids[] = {
        {"<h2>", "<h2 id=\"x\" data-velt-id>"},
        {"<H2 class='a b'>", "<H2 class='a b' id=\"x\" data-velt-id>"},
        {"<h2 class=\"a\"/>", "<h2 class=\"a\" id=\"x\" data-velt-id/>"},
        {"<h2/>", "<h2 id=\"x\" data-velt-id/>"},
        {"<h2 class=a/>", "<h2 class=a/ id=\"x\" data-velt-id>"},  // the '/' is the value's
    };
    vtstring back;
    for (const auto& [tag, with_id] : written_ids) {
        EXPECT_EQ(tag_with_own_id(tag, "x"), with_id);
        ASSERT_TRUE(tag_without_own_id(with_id, back)) << with_id;
        EXPECT_EQ(back, tag);
    }
    for (std::string_view author :
         {"<h2 id=\"x\">", "<h2 data-velt-id>", "<h2 data-velt-id id=\"x\">",
          "<h2 id=\"x\" class=\"y\" data-velt-id=\"1\">", "<h2 id='x' data-velt-id>",
          "<h2 id=\"x\" data-velt-id"})
        EXPECT_FALSE(tag_without_own_id(author, back)) << author;
}

TEST(html_toc, AnchorIdsReuseOwnIdsAndWriteReadableOnes) {
    const built b = build(
        "<body><p id=\"setup\" name=\"x\"></p>"
        "<h2 id=\"intro\">Intro</h2>"
        "<h2><a name=\"old\">Old</a></h2>"
        "<h2><a name=\"\" id=\"inner\">Inner</a></h2>"
        "<h2 class=\"c\">Setup</h2><h2>Setup</h2><h3></h3>"
        "<h2 id=\"intro\">Again</h2>"
        "<h2 id=\"\">Empty id</h2>"
        "<h2 id=\"kept\" data-velt-id>Kept</h2><h2>12.  Old</h2></body>",
        true, "", true);
    EXPECT_EQ(b.page,
              "<body><p id=\"setup\" name=\"x\"></p>"
              "<h2 id=\"intro\">1. Intro</h2>"
              "<h2>2. <a name=\"old\">Old</a></h2>"
              "<h2>3. <a name=\"\" id=\"inner\">Inner</a></h2>"
              "<h2 class=\"c\" id=\"setup-2\" data-velt-id>4. Setup</h2>"
              "<h2 id=\"setup-3\" data-velt-id>5. Setup</h2>"
              "<h3></h3>"  // shows no text: no entry
              "<h2 id=\"intro\">6. Again</h2>"
              // A second id would not count: the old way, attributes included.
              "<h2 id=\"\">7. <a name=\"velt_link_7_7\" class=\"unused\">Empty id</a></h2>"
              "<h2 id=\"kept\" data-velt-id>8. Kept</h2>"
              "<h2 id=\"old-2\" data-velt-id>9.  Old</h2></body>");
    EXPECT_EQ(b.links, (strings{"Intro=#intro", "Old=#old", "Inner=#inner", "Setup=#setup-2",
                                "Setup=#setup-3", "Again=#intro", "Empty id=#velt_link_7_7",
                                "Kept=#kept", " Old=#old-2"}));
    // Rebuilt, the page keeps every byte.
    EXPECT_EQ(build(b.page, true, "", true).page, b.page);
}

TEST(html_toc, SkippedHeadingsAreLeftAloneAndNavigationWaits) {
    const std::string page =
        "<body><h1>A</h1><!--#velt_toc_nav_next-->"
        "<h2 class=\"x  no-toc\"><!--#velt_toc_nav_this-->3. Aside</h2>"
        "<h2 class=\"no-toc-x NO-TOC\">B</h2></body>";
    const built b = build(page, false, "no-toc", true);
    EXPECT_EQ(b.links, (strings{"A=#velt_link_1_7", "B=#velt_link_2_7"}));
    EXPECT_EQ(b.page,
              "<body><h1>1. <a name=\"velt_link_1_7\" class=\"unused\">A</a></h1>"
              "<!--#velt_toc_nav_next--><a href=\"#velt_link_1_7\">1. A</a> &gt; 1.1. B"
              "<!--/velt_toc_nav--><h2 class=\"x  no-toc\"><!--#velt_toc_nav_this-->3. Aside</h2>"
              "<h2 class=\"no-toc-x NO-TOC\">1.1. <a name=\"velt_link_2_7\" "
              "class=\"unused\">B</a></h2></body>");
    // A class holding a blank matches no heading.
    EXPECT_EQ(build(page, false, "x  no-toc").links.size(), 3u);
}

TEST(page_line_end, FirstLineEndOutsideTheOldTocCounts) {
    const std::pair<std::string, std::string> cases[] = {
        {"<p>a</p>\r\n<p>b</p>\n", "\r\n"},
        {"<p>a</p>\n<p>b</p>\r\n", "\n"},
        {"<p>a</p>", "\n"},
        {"<p>a</p>\r", "\n"},
        {"<p>a\r</p>\n", "\n"},  // CR and LF in separate nodes are no pair
        {"<!--VELT_HTML_TOC_START-->\r\n<!---->\r\n<!--VELT_HTML_TOC_END-->\n<p>a</p>\n", "\n"},
        {"<!--VELT_HTML_TOC_START-->\n<!--VELT_HTML_TOC_END--><p>a</p>\r\n", "\r\n"},
    };
    for (const auto& [page, line_end] : cases) {
        xml_tree document;
        parse_page(page, document);
        pre_html_toc scan;
        scan.document = &document;
        scan.scan_placement();
        EXPECT_EQ(page_line_end(document, scan.placement()), line_end) << page;
    }
}

TEST(line_end_sink, EveryLineEndOfTheBlockBecomesThePages) {
    // Pieces as a template may hand them over, a CR LF split between two.
    const std::vector<std::string> pieces{"a\r\nb\nc\r", "\nd\r", "e\n", "\r", "\n", "\r"};
    for (const auto& [line_end, expected] : {std::pair{"\n", "a\nb\nc\nd\re\n\n\r"},
                                             std::pair{"\r\n", "a\r\nb\r\nc\r\nd\re\r\n\r\n\r"}}) {
        std::string out;
        const toc_sink put = [&](std::string_view s) { out += s; };
        line_end_sink sink(put, line_end);
        for (const std::string& piece : pieces) sink(piece);
        sink.finish();
        EXPECT_EQ(out, expected) << std::strlen(line_end);
    }
}

TEST(build_project, OddAnchorIdsAndSkipClassValuesReachNoPage) {
    // Only "1" turns ids on; a class holding a blank (or anything but the
    // exact word) skips nothing; no value is ever written into the page.
    const std::string long_value(100000, '1');
    const struct {
        std::string anchor_ids, skip_class;
        bool ids, skipped;
    } cases[] = {
        {"1", "b", true, true},
        {"1", "", true, false},
        {"", "", false, false},
        {" 1", "a b", false, false},
        {"1 ", "\"b\"", false, false},
        {"01", "<b>", false, false},
        {"\"1\"", " b", false, false},
        {"<1>", "b\t", false, false},
        {long_value, long_value, false, false},
        {"2", "B", false, false},
    };
    temp_folder dir;
    const std::string page = "<body><h2 class=\"a b\">T</h2></body>\n";
    for (const auto& c : cases) {
        toc_project p;
        p.source.clear();
        p.source.push_back(vtval(dir.write("page.html", page)));
        p.template_file = vtval(dir.write(
            "t.tpl", "<!--#for var=\"item\"-->[<!--#echo var=\"link\"-->]<!--#endfor-->"));
        p.process_numbering = vtval(0);
        p.anchor_ids = vtval(c.anchor_ids);
        p.skip_class = vtval(c.skip_class);
        ASSERT_EQ(build_project(p, nullptr, nullptr), 0) << p.error_message.str();
        std::string out = dir.read("page.html");
        const size_t start = out.find("<!--VELT_HTML_TOC_START-->");
        const size_t end = out.find("<!--VELT_HTML_TOC_END-->") + 24;
        ASSERT_NE(start, std::string::npos);
        const std::string toc = out.substr(start, end - start);
        out.erase(start, end - start);
        const std::string& shown = c.anchor_ids.substr(0, 9);
        if (c.skipped) {
            EXPECT_EQ(out, page) << shown;
            EXPECT_EQ(toc.find('['), std::string::npos) << shown;
        } else if (c.ids) {
            EXPECT_EQ(out, "<body><h2 class=\"a b\" id=\"t\" data-velt-id>T</h2></body>\n");
            EXPECT_NE(toc.find("[#t]"), std::string::npos) << shown;
        } else {
            EXPECT_TRUE(out.starts_with("<body><h2 class=\"a b\"><a name=\"velt_link_1_")) << out;
            EXPECT_TRUE(out.ends_with("\">T</a></h2></body>\n")) << out;
            EXPECT_NE(toc.find("[#velt_link_1_"), std::string::npos) << shown;
        }
    }
}

TEST(html_toc, HeadingLinksAreWrittenAfreshAndClearedAgain) {
    const auto with_links = [](std::string_view html, bool ids, std::string_view links) {
        return build(html, ids, "", false, links);
    };
    const std::string page = "<h1>Say \"hi\"\n  now</h1><h2 id=\"x\">X</h2><h3></h3>";
    const built named = with_links(page, false, "#");
    EXPECT_EQ(named.page,
              "<h1><a name=\"velt_link_1_7\" class=\"unused\">Say \"hi\"\n  now</a><a "
              "href=\"#velt_link_1_7\" "
              "class=\"velt-heading-link\" aria-label=\"Link to Say &quot;hi&quot; now\">#</a></h1>"
              "<h2 id=\"x\"><a name=\"velt_link_2_7\" class=\"unused\">X</a><a "
              "href=\"#velt_link_2_7\" "
              "class=\"velt-heading-link\" aria-label=\"Link to X\">#</a></h2>"
              "<h3></h3>");
    const built ids = with_links(page, true, "&para;");
    EXPECT_NE(ids.page.find("<h2 id=\"x\">X<a href=\"#x\" class=\"velt-heading-link\" "
                            "aria-label=\"Link to X\">&para;</a></h2>"),
              std::string::npos)
        << ids.page;
    for (const bool id_mode : {false, true}) {
        // The link's text is no part of the heading's; a rebuild writes one
        // link (the same again), and without links none.
        const built& b = id_mode ? ids : named;
        const built again = with_links(b.page, id_mode, id_mode ? "&para;" : "#");
        EXPECT_EQ(again.page, b.page);
        EXPECT_EQ(again.links, b.links);
        EXPECT_EQ(with_links(b.page, id_mode, "").page, with_links(page, id_mode, "").page);
    }
    EXPECT_EQ(named.links, (strings{"Say \"hi\"\n  now=#velt_link_1_7", "X=#velt_link_2_7"}));
}

TEST(html_toc, IdsABuildOwnsStayUniqueAndNoTagIsReadTwoWays) {
    const struct {
        std::string page, built;
        strings links;
    } cases[] = {
        // A copied section: the copy's id gives way, the first stays.
        {"<h2 id=\"intro\" data-velt-id>A</h2><h2 id=\"intro\" data-velt-id>B</h2>",
         "<h2 id=\"intro\" data-velt-id>A</h2><h2 id=\"intro-2\" data-velt-id>B</h2>",
         {"A=#intro", "B=#intro-2"}},
        // An author's element holds it: the build's id gives way.
        {"<p id=\"intro\">x</p><h2 id=\"intro\" data-velt-id>A</h2><a name=\"b\"></a>"
         "<h2 id=\"b\" data-velt-id>B</h2>",
         "<p id=\"intro\">x</p><h2 id=\"intro-2\" data-velt-id>A</h2><a name=\"b\"></a>"
         "<h2 id=\"b-2\" data-velt-id>B</h2>",
         {"A=#intro-2", "B=#b-2"}},
        // An author's duplicates stay as they are.
        {"<h2 id=\"a\">A</h2><h2 id=\"a\">B</h2>",
         "<h2 id=\"a\">A</h2><h2 id=\"a\">B</h2>",
         {"A=#a", "B=#a"}},
        // A repeated attribute counts with its first value.
        {"<h2 id=\"first\" id=\"second\">T</h2>",
         "<h2 id=\"first\" id=\"second\">T</h2>",
         {"T=#first"}},
        // A stray quote: the browser reads the tag on past its '>', so the
        // heading is linked by an anchor before it, and an id an older
        // build wrote into it goes.
        {"<h2 title=\"a>b\">T</h2><h2 x=\"1 id=\"u\" data-velt-id>U\">U</h2>",
         "<a name=\"velt_link_1_7\" class=\"unused\"></a><h2 title=\"a>b\">T</h2>"
         "<a name=\"velt_link_2_7\" class=\"unused\"></a><h2 x=\"1>U\">U</h2>",
         {"b\">T=#velt_link_1_7", "U\">U=#velt_link_2_7"}},
    };
    for (const auto& c : cases) {
        const built b = build(c.page, true, "", false);
        EXPECT_EQ(b.page, c.built) << c.page;
        EXPECT_EQ(b.links, c.links) << c.page;
        EXPECT_EQ(build(b.page, true).page, b.page) << c.page;  // and so it stays
    }
    // Named anchors the same: a copy's generated anchor gives way.
    const built copied = build(
        "<h2><a name=\"velt_link_1_7\">A</a></h2><h2><a name=\"velt_link_1_7\">B</a></h2>", false);
    EXPECT_EQ(copied.page,
              "<h2><a name=\"velt_link_1_7\">A</a></h2><h2><a name=\"velt_link_2_7\" "
              "class=\"unused\">B</a></h2>");
    EXPECT_EQ(build(copied.page, false).page, copied.page);
}

TEST(html_toc, WhatTheScanPassesTwiceIsWrittenOnce) {
    // Before a page title, with titles on, the scan passes a page's top
    // twice: once from the start, once from the insertion point.
    EXPECT_EQ(build("<body><!--#velt_toc_nav_this--><h2 id=\"x\" data-velt-id>A</h2>"
                    "<h2 t=\"a>B</h2><title>T</title>",
                    true, "", false, "", true)
                  .page,
              "<body><!--#velt_toc_nav_this--><!--/velt_toc_nav--><h2 id=\"x\" data-velt-id>A</h2>"
              "<a name=\"velt_link_2_7\" class=\"unused\"></a><h2 t=\"a>B</h2><title>T</title>");
}
