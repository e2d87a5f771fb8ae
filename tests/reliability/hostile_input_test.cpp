// Hostile pages, templates and projects through `vorn1 -command`: each gives
// a correct result or a clear message, and no file is lost or cut short.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/page_size_limit.h"
#include "reliability/site.h"

namespace {

using namespace reliability;

constexpr char kTitle[] = "Orvane 1.0b\r\n";
const std::string kDone = std::string(kTitle) + "Build is complete.\r\n";

std::string failure(const std::string& message) {
    return std::string(kTitle) + "Error occurred: " + message;
}

// A single page rebuilt in place with the usual template.
run_result build_page(const site& s, const std::string& page, const std::string& extra = "") {
    s.write("page.html", page);
    s.project({"page.html"}, true, "", extra);
    return build(s);
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) ++n;
    return n;
}

TEST(hostile_page, BytesWithoutMarkupComeBackUnchanged) {
    // Every byte value but '<', and an empty page: nothing to do, nothing changed.
    std::string binary;
    for (int round = 0; round < 64; ++round)
        for (int b = 0; b < 256; ++b)
            if (b != '<') binary += static_cast<char>(b);
    for (const std::string& page : {binary, std::string()}) {
        site s;
        const run_result r = build_page(s, page);
        EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
        EXPECT_EQ(r.out, kDone);
        EXPECT_TRUE(same_bytes(without_toc(s.read("page.html")), page));
    }
}

TEST(hostile_page, RandomBinaryIsBuiltOrRefusedCleanly) {
    std::mt19937 rnd(7);
    for (int trial = 0; trial < 5; ++trial) {
        std::string page(200000, '\0');
        for (char& c : page) c = static_cast<char>(rnd());
        site s;
        const run_result r = build_page(s, page);
        ASSERT_TRUE(r.exit_code == 0 || r.exit_code == 1) << r.err;
        EXPECT_EQ(r.err, "");
        if (r.exit_code == 1) {
            EXPECT_TRUE(same_bytes(s.read("page.html"), page));
        } else {
            EXPECT_GE(s.read("page.html").size(), page.size());
        }
    }
}

// What a build writes can always be read back: neither a page read nor an
// output written reaches page_size_limit (64 MiB), and a refusal changes
// nothing.
TEST(hostile_page, SizeLimitHoldsForPagesReadAndWritten) {
    const std::string head = "<html><body><h1>Size</h1><p>";
    site probe;
    ASSERT_EQ(build_page(probe, head).out, kDone);
    const size_t growth = probe.read("page.html").size() - head.size();
    const size_t limit = page_size_limit;
    // Input sizes: an output one byte below the limit, an output at it, an
    // input below the limit that grows past it, an input at it.
    for (const size_t size : {limit - 1 - growth, limit - growth, limit - 1, limit}) {
        const std::string page = head + std::string(size - head.size(), 'x');
        site s;
        const run_result r = build_page(s, page);
        if (size + growth < limit) {
            EXPECT_EQ(r.out, kDone);
            EXPECT_EQ(s.read("page.html").size(), limit - 1);
            continue;
        }
        EXPECT_EQ(r.out, failure("Page is too large: page.html")) << size;
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_TRUE(same_bytes(s.read("page.html"), page));
        EXPECT_TRUE(temporary_files(s.files()).empty());
    }
}

// Each failure names the file it is about.
TEST(hostile_project, EveryFailureNamesItsFile) {
    // A destination whose TOC of 2 x 600 entries, 64 KiB each, would pass
    // the limit.
    std::string dense = "<body>";
    for (int i = 0; i < 600; ++i) dense += "<h1>Heading</h1>";
    const std::vector<std::string> many{"p0.html", "p1.html"};
    struct failing_case {
        std::vector<std::string> sources;
        std::string destination, command, report;
    } cases[] = {
        {many, "index.html", "-command", "Page is too large: index.html"},
        {{"p0.html", "big.html", "p1.html"},
         "index.html",
         "-command",
         "Page is too large: big.html"},
        {{"p0.html"}, "folder", "-command", "Can't open file for writing: folder"},
        {{"p0.html"}, "folder", "-clear", "Can't open file for writing: folder"},
    };
    for (const failing_case& c : cases) {
        site s;
        for (const std::string& name : many) s.write(name, dense);
        s.write("big.html", std::string(page_size_limit, 'x'));
        s.write("index.html", "<body><!-- toc --></body>");
        s.write("folder/keep.html", "<h1>Kept</h1>");
        s.project(c.sources, false, c.destination);
        s.write("toc.tpl", "<!--#for var=\"item\"-->" + std::string(65536, 'x') + "<!--#endfor-->");
        const snapshot before = s.files();
        const run_result r = run_vorn1(s.path(), {c.command, "project.txt"});
        EXPECT_EQ(r.out, failure(c.report));
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_TRUE(same_bytes(s.read("index.html"), before.at("index.html")));
        EXPECT_TRUE(temporary_files(s.files()).empty());
    }
}

TEST(hostile_page, DeepNestingBuildsAndClearsBack) {
    // 4 MB of unclosed blocks: every walk over the tree and its destruction
    // must work without recursion.
    std::string page = "<html><body>";
    while (page.size() < 4000000) page += "<div>";
    page += "<h2>Deep</h2>";
    site s;
    const run_result r = build_page(s, page);
    ASSERT_EQ(r.out, kDone) << r.err;
    const std::string built = s.read("page.html");
    EXPECT_EQ(count(built, "<h2><a name=\"velt_link_1_1000000000\">Deep</a></h2>"), 1u);
    EXPECT_EQ(count(built, "<!--VELT_HTML_TOC_START-->"), 1u);

    const run_result cleared = run_vorn1(s.path(), {"-clear", "project.txt"});
    EXPECT_EQ(cleared.exit_code, 0) << cleared.out;
    EXPECT_TRUE(same_bytes(s.read("page.html"), page));
}

TEST(hostile_page, StrayEndTagsAndHugeTagsKeepEveryByte) {
    std::string stray = "<body>";
    for (int i = 0; i < 200000; ++i) stray += i % 2 ? "</div>" : "</h1>";
    stray += "<h1>After</h1>";

    std::string attributes = "<body";
    for (int i = 0; i < 100000; ++i)
        attributes += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    attributes += "><h1 x=1 x=2 x=3>Many</h1>";

    for (const std::string& page : {stray, attributes}) {
        site s;
        const run_result r = build_page(s, page);
        ASSERT_EQ(r.out, kDone) << r.err;
        // Take the tool's insertions out again: the TOC and the anchor.
        std::string built = without_toc(s.read("page.html"));
        const std::string anchor = "<a name=\"velt_link_1_1000000000\">";
        const size_t a = built.find(anchor);
        ASSERT_NE(a, std::string::npos);
        built.erase(a, anchor.size());
        built.erase(built.rfind("</a>"), 4);
        EXPECT_TRUE(same_bytes(built, page));
    }
}

TEST(hostile_page, HundredThousandHeadingsAreNumberedInOrder) {
    // The page grows about ten times, and stays below the size limit.
    std::string page = "<body>";
    for (int i = 0; i < 100000; ++i) page += i % 10 ? "<h2>sub</h2>\n" : "<h1>top</h1>\n";
    site s;
    const run_result r = build_page(s, page, "<process_numbering>1</process_numbering>\r\n");
    ASSERT_EQ(r.out, kDone) << r.err;
    const std::string built = s.read("page.html");
    EXPECT_EQ(count(built, "<a name=\"velt_link_"), 100000u);
    EXPECT_EQ(count(built, "href=\"#velt_link_"), 100000u);
    EXPECT_NE(built.find("<h1>10000. <a name=\"velt_link_99991_1000000000\">top</a></h1>"),
              std::string::npos);
    EXPECT_NE(built.find("<h2>10000.9. <a name=\"velt_link_100000_1000000000\">sub</a></h2>"),
              std::string::npos);
}

TEST(hostile_page, NamedPipesAreRefusedNotWaitedFor) {
    // A pipe without a writer as page, template or project, or without a
    // reader as the page written, would block for ever when opened.
    site s;
    ASSERT_EQ(mkfifo(s.file("pipe").c_str(), 0644), 0);
    s.write("page.html", "<h1>x</h1>");
    s.project({"pipe"}, true);
    const run_options patience{.kill_after_us = 20000000};
    EXPECT_EQ(build(s, patience).out, failure("Can't open source file: pipe"));
    EXPECT_EQ(run_vorn1(s.path(), {"-command", "pipe"}, patience).out,
              failure("Can't open file pipe"));
    s.write("project.txt",
            "<is_single>1</is_single><is_dest_as_source>0</is_dest_as_source><destination>pipe"
            "</destination><source>page.html</source><template_file>toc.tpl</template_file>");
    EXPECT_EQ(build(s, patience).out, failure("Can't open file for writing: pipe"));
    s.project({"page.html"}, true, "", "<template_file>pipe</template_file>");
    const run_result r = build(s, patience);
    EXPECT_EQ(r.out, failure("Can't open template file: pipe"));
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(s.read("page.html"), "<h1>x</h1>");
}

TEST(hostile_page, StrayMarkerTextLosesNothing) {
    // Marker text in a script or inside a longer comment: built twice and
    // cleared, the page loses no byte that a build did not write.
    const std::string body = "<body><p>Important.</p><h1>One</h1></body></html>";
    for (const std::string& head :
         {std::string("<html><head><script>var S = \"<!--VELT_HTML_TOC_START-->\"; "
                      "function f(){}</script></head>"),
          std::string("<html><head><!-- removed -> <!--VELT_HTML_TOC_START--> --></head>")}) {
        site s;
        const std::string page = head + body;
        ASSERT_EQ(build_page(s, page).out, kDone);
        const std::string once = s.read("page.html");
        EXPECT_EQ(without_toc(once.substr(head.size())),
                  "<body><p>Important.</p><h1><a name=\"velt_link_1_1000000000\">One</a></h1>"
                  "</body></html>");
        ASSERT_EQ(build(s).out, kDone);
        EXPECT_TRUE(same_bytes(s.read("page.html"), once));
        const run_result cleared = run_vorn1(s.path(), {"-clear", "project.txt"});
        EXPECT_EQ(cleared.exit_code, 0) << cleared.out;
        EXPECT_TRUE(same_bytes(s.read("page.html"), page));
    }
}

TEST(hostile_page, UtfSixteenAndThirtyTwoAreRefusedUntouched) {
    const std::string wide[] = {
        std::string("\xFF\xFE<\0h\0\x31\0>\0", 10),            // UTF-16LE with its mark
        std::string("\xFE\xFF\0<\0h\0\x31\0>", 10),            // UTF-16BE
        std::string("\0\0\xFE\xFF\0\0\0<\0\0\0h", 12),         // UTF-32BE
        std::string("<\0h\0t\0m\0l\0>\0<\0h\0\x31\0>\0", 20),  // no mark
        std::string("<\0\0\0h\0\0\0\x31\0\0\0>\0\0\0", 16),    // UTF-32LE, no mark
    };
    for (const std::string& page : wide) {
        for (const char* command : {"-command", "-clear"}) {
            site s;
            s.write("page.html", page);
            s.project({"page.html"}, true);
            const run_result r = run_vorn1(s.path(), {command, "project.txt"});
            EXPECT_EQ(r.out, failure("Can't read UTF-16 or UTF-32 file: page.html")) << command;
            EXPECT_EQ(r.exit_code, 1);
            EXPECT_TRUE(same_bytes(s.read("page.html"), page));
        }
        // As the destination of a site.
        site s;
        s.write("a.html", "<h1>A</h1>");
        s.write("index.html", page);
        s.project({"a.html"}, false, "index.html");
        const run_result r = build(s);
        EXPECT_EQ(r.out, failure("Can't read UTF-16 or UTF-32 file: index.html"));
        EXPECT_TRUE(same_bytes(s.read("index.html"), page));
    }
}

TEST(hostile_page, TocAtTheStartOfAPageFollowsItsByteOrderMark) {
    site s;
    const std::string page = "\xEF\xBB\xBF<p>No heading here</p>";
    ASSERT_EQ(build_page(s, page).out, kDone);
    const std::string once = s.read("page.html");
    EXPECT_EQ(once.substr(0, 29), "\xEF\xBB\xBF<!--VELT_HTML_TOC_START-->");
    EXPECT_EQ(without_toc(once), page);
    ASSERT_EQ(build(s).out, kDone);
    EXPECT_TRUE(same_bytes(s.read("page.html"), once));
}

TEST(hostile_template, DeeplyNestedTrueConditionsRun) {
    // Every condition holds for the second item: each level's body runs.
    const int depth = 20000;
    std::string tpl = "<!--#for var=\"item\"-->";
    for (int i = 0; i < depth; ++i) tpl += "<!--#if var=\"level\"-->(";
    tpl += "<!--#echo var=\"text\"-->";
    for (int i = 0; i < depth; ++i) tpl += ")<!--#else-->no<!--#endif-->";
    tpl += "<!--#endfor-->";
    site s;
    s.write("page.html", "<body><h1>One</h1><h3>Two</h3>");
    s.project({"page.html"}, true);
    s.write("toc.tpl", tpl);
    const run_result r = build(s);
    ASSERT_EQ(r.out, kDone) << r.err;
    const std::string built = s.read("page.html");
    EXPECT_NE(built.find("no"), std::string::npos);
    EXPECT_NE(built.find(std::string(depth, '(') + "Two" + std::string(depth, ')')),
              std::string::npos);
}

TEST(hostile_project, MissingOneOfHundredThousandSourcesChangesNothing) {
    site s;
    std::vector<std::string> sources;
    for (int i = 0; i < 100; ++i)
        s.write("p/" + std::to_string(i) + ".html", "<h1>Page " + std::to_string(i) + "</h1>");
    for (int i = 0; i < 100000; ++i)
        sources.push_back(i == 76543 ? "p/gone.html" : "p/" + std::to_string(i % 100) + ".html");
    s.write("index.html", "<body><!-- toc --></body>");
    s.project(sources, false, "index.html");
    const snapshot before = s.files();
    const run_result r = build(s);
    EXPECT_EQ(r.out, failure("File doesn't exist: p/gone.html"));
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(same_files(s.files(), before));
}

TEST(hostile_page, ZeroBytesAndBrokenUtf8PassThrough) {
    // In text, headings, attribute values, comments, names and file names.
    const std::string junk = std::string("a\0b\xc3\x28\xff\xfe\xc0\xaf\xed\xa0\x80", 13);
    const std::string page = "<html" + junk + "><body x=\"" + junk + "\"><!--" + junk +
                             "-->\n<h1>" + junk + "</h1><p>" + junk + "</p><h2 class='" + junk +
                             "'>t" + junk + "</h2></body></html>";
    site s;
    const std::string name = "caf\xe9\xff.html";
    s.write(name, page);
    s.write("index.html", "<body>" + junk + "</body>");
    s.project({name}, false, "index.html");
    const run_result r = build(s);
    ASSERT_EQ(r.out, kDone) << r.err;
    const std::string built = s.read(name);
    EXPECT_NE(built.find("<h1><a name=\"velt_link_1_1000000000\">" + junk + "</a></h1>"),
              std::string::npos);
    const std::string index = s.read("index.html");
    EXPECT_NE(index.find(">" + junk + "</a>"), std::string::npos);
    EXPECT_NE(index.find("href=\"caf%E9%FF.html#velt_link_1_1000000000\""), std::string::npos)
        << index;
    EXPECT_EQ(without_toc(index), "<body>" + junk + "</body>");
}

}  // namespace
