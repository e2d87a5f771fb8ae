// Numbering controls over whole builds: which headings get numbers, where
// counting starts, numbers in spans. Every case is built, rebuilt to the same
// bytes and cleared back to the page as it was, and its TOC shows the
// numbers its headings show.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/build_project.h"
#include "driver/clear_project.h"
#include "project/toc_project.h"
#include "support/temp_folder.h"

namespace {

// One TOC entry per opened item: its number in brackets.
const char template_text[] =
    "<!--#for var=\"item\"--><!--#if var=\"open\"-->[<!--#echo var=\"numbering\"-->]"
    "<!--#endif--><!--#endfor-->";

struct numbering_case {
    const char* name;
    const char* body;  // the headings of the page
    // Keys: numbering_from, numbering_to, numbering_start, unnumbered_class,
    // number_class, anchor_ids.
    std::vector<const char*> keys;
    // The number each heading shows, in page order ("" for none).
    std::vector<std::string> numbers;
};

void PrintTo(const numbering_case& c, std::ostream* out) {
    *out << c.name;
}

// The number written after each heading's start tag, plain or in a span.
std::vector<std::string> heading_numbers(const std::string& page) {
    std::vector<std::string> numbers;
    for (size_t at = page.find("<h"); at != std::string::npos; at = page.find("<h", at + 1)) {
        if (page[at + 2] < '1' || page[at + 2] > '6') continue;
        const size_t text = page.find('>', at) + 1;
        std::string number;
        if (page.compare(text, 13, "<span class=\"") == 0) {
            const size_t from = page.find('>', text) + 1;
            number = page.substr(from, page.find("</span> ", from) - from);
        } else {
            size_t end = text;
            while (end < page.size() &&
                   (std::isdigit(static_cast<unsigned char>(page[end])) || page[end] == '.'))
                ++end;
            if (end > text && page[end] == ' ') number = page.substr(text, end - text);
        }
        numbers.push_back(number);
    }
    return numbers;
}

// The numbers of the TOC's entries, the blank after each taken off.
std::vector<std::string> toc_numbers(const std::string& page) {
    std::vector<std::string> numbers;
    const size_t end = page.find("<!--VELT_HTML_TOC_END-->");
    for (size_t at = page.find('['); at < end; at = page.find('[', at + 1)) {
        std::string n = page.substr(at + 1, page.find(']', at) - at - 1);
        if (!n.empty()) n.pop_back();
        numbers.push_back(n);
    }
    return numbers;
}

const numbering_case cases[] = {
    {"defaults number every level",
     "<h1>A</h1><h2>B</h2><h3>C</h3><h2>D</h2><h1>E</h1>",
     {},
     {"1.", "1.1.", "1.1.1.", "1.2.", "2."}},
    {"a range counts on across the levels above it",
     "<h1>Book</h1><h2>a</h2><h3>b</h3><h4>c</h4><h2>d</h2><h1>Part</h1><h2>e</h2><h3>f</h3>",
     {"2", "3"},
     {"", "1.", "1.1.", "", "2.", "", "3.", "3.1."}},
    {"start 0",
     "<h1>a</h1><h2>b</h2><h1>c</h1><h1>d</h1>",
     {"", "", "0"},
     {"0.", "0.1.", "1.", "2."}},
    {"start 7",
     "<h1>a</h1><h2>b</h2><h2>c</h2><h1>d</h1>",
     {"", "", "7"},
     {"7.", "7.1.", "7.2.", "8."}},
    {"unnumbered headings between numbered ones",
     "<h1 class=\"front\">Preface</h1><h2>Thanks</h2><h1>One</h1><h2>Start</h2>"
     "<h2 class=\"x front\">Aside</h2><h3>Deep</h3><h2>Next</h2><h1>Two</h1>"
     "<h1 class=\"front\">Appendix</h1><h2>Tables</h2>",
     {"", "", "", "front"},
     {"", "", "1.", "1.1.", "", "", "1.2.", "2.", "", ""}},
    {"spans around the numbers",
     "<h1 class=\"front\">Preface</h1><h1>One</h1><h2>Start</h2><h1>Two</h1>",
     {"", "", "", "front", "num"},
     {"", "1.", "1.1.", "2."}},
    {"spans with ids and author numbers kept where none is written",
     "<h1 class=\"front\">1984 Preface</h1><h1 id=\"one\">One</h1><h2>Start</h2>"
     "<h1>Two</h1>",
     {"", "", "", "front", "num", "1"},
     {"1984", "1.", "1.1.", "2."}},
    {"spans in a page whose headings have ids of their own",
     "<h1 id=\"a\">A</h1><h2 id=\"b\">B</h2>",
     {"", "", "", "", "num", "1"},
     {"1.", "1.1."}},
    {"a class with quotes is written as a value",
     "<h1>One</h1><h2>Start</h2>",
     {"", "", "", "", "a\"b <c>"},
     {"1.", "1.1."}},
    {"text for levels and start counts as 0",
     "<h1>a</h1><h2>b</h2>",
     {"x", "", "-4"},
     {"0.", "0.1."}},
    {"a highest level of 0 numbers no heading", "<h1>a</h1><h2>b</h2>", {"", "0"}, {"", ""}},
};

class numbering_table : public testing::TestWithParam<numbering_case> {
  protected:
    void SetUp() override { setenv("SOURCE_DATE_EPOCH", "1000000000", 1); }
};

TEST_P(numbering_table, BuildsRebuildsAndClears) {
    const numbering_case& c = GetParam();
    temp_folder dir;
    // A site of one page: the page shows no TOC, only what the build wrote
    // into its headings.
    const std::string original = std::string("<html><body>\n") + c.body + "\n</body></html>\n";
    const std::string contents = "<html><body><!-- toc --></body></html>\n";
    toc_project project;
    project.is_single = vtval(0);
    project.source.clear();
    project.source.push_back(vtval(dir.write("page.html", original)));
    project.destination = vtval(dir.write("toc.html", contents));
    project.template_file = vtval(dir.write("toc.tpl", template_text));
    vtval* keys[] = {&project.numbering_from,   &project.numbering_to, &project.numbering_start,
                     &project.unnumbered_class, &project.number_class, &project.anchor_ids};
    for (size_t i = 0; i < c.keys.size(); ++i) *keys[i] = vtval(c.keys[i]);

    ASSERT_EQ(build_project(project, nullptr, nullptr), 0) << project.error_message.str();
    const std::string built = dir.read("page.html");
    EXPECT_EQ(heading_numbers(built), c.numbers) << built;
    // A heading with an author's number and none written shows that number.
    std::vector<std::string> written = c.numbers;
    for (std::string& n : written)
        if (n.find('.') == std::string::npos) n.clear();
    EXPECT_EQ(toc_numbers(dir.read("toc.html")), written) << built;
    if (c.keys.size() > 4 && *c.keys[4]) {
        EXPECT_NE(built.find("<span class=\""), std::string::npos) << built;
    }

    ASSERT_EQ(build_project(project, nullptr, nullptr), 0) << project.error_message.str();
    EXPECT_EQ(dir.read("page.html"), built);
    ASSERT_EQ(clear_project(project, nullptr, nullptr), 0) << project.error_message.str();
    EXPECT_EQ(dir.read("page.html"), original);
    EXPECT_EQ(dir.read("toc.html"), contents);
}

INSTANTIATE_TEST_SUITE_P(cases, numbering_table, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<numbering_case>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

}  // namespace
