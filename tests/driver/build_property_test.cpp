// Properties of whole builds over generated, real and fuzzed pages:
// rebuilding changes nothing, the output is the input plus the tool's own
// insertions, clearing a page no build touched changes nothing, and
// clearing a build gives the page back, minus the old numbers a numbered
// build replaced.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "driver/build_project.h"
#include "driver/clear_project.h"
#include "driver/page_bytes.h"
#include "project/toc_project.h"
#include "support/page_generator.h"
#include "support/temp_folder.h"
#include "toc/toc_fold_rule.h"

namespace {

const char template_text[] =
    "<ul><!--#for var=\"item\"--><!--#if var=\"open\"--><li><a href=\"<!--#echo var=\"link\"-->\">"
    "<!--#echo var=\"numbering\"--><!--#echo var=\"text\"--></a><!--#if var=\"children\"--><ul>"
    "<!--#else--></li><!--#endif--><!--#else--></ul></li><!--#endif--><!--#endfor--></ul>";

struct single_page_project {
    temp_folder dir;
    toc_project project;
    std::string page;

    single_page_project(const std::string& html, bool numbering) {
        page = dir.write("page.html", html);
        project.source.clear();
        project.source.push_back(vtval(page));
        project.process_numbering = vtval(numbering ? 1 : 0);
        project.template_file = vtval(dir.write("toc.tpl", template_text));
    }
    std::string build() {
        EXPECT_EQ(build_project(project, nullptr, nullptr), 0) << project.error_message.str();
        return dir.read("page.html");
    }
    std::string clear() {
        EXPECT_EQ(clear_project(project, nullptr, nullptr), 0) << project.error_message.str();
        return dir.read("page.html");
    }
};

// Whether output is input with only these insertions: generated anchor start
// tags, "</a>", and whole TOC blocks between the markers.
bool only_insertions(const std::string& input, const std::string& output) {
    auto inserted_at = [&](size_t o, size_t i) -> size_t {
        std::string_view rest(output.data() + o, output.size() - o);
        std::string_view in(input.data() + i, input.size() - i);
        for (std::string_view form :
             {"<a name=\"velt_link_", "</a>", "<!--VELT_HTML_TOC_START-->"}) {
            if (!rest.starts_with(form) || in.starts_with(form)) continue;
            if (form == "</a>") return 4;
            if (form[1] == 'a') return output.find('>', o) + 1 - o;
            size_t end = output.find("<!--VELT_HTML_TOC_END-->", o);
            return end == std::string::npos ? 0 : end + 24 - o;
        }
        return 0;
    };
    size_t i = 0, o = 0;
    while (o < output.size()) {
        if (size_t skip = inserted_at(o, i)) {
            o += skip;
        } else if (i < input.size() && input[i] == output[o]) {
            ++i, ++o;
        } else {
            return false;
        }
    }
    return i == input.size();
}

// Whether output is input with some old numbers taken out: only digits,
// dots and white space are missing.
bool only_numbers_taken(const std::string& input, const std::string& output) {
    size_t o = 0;
    for (const char c : input) {
        if (o < output.size() && output[o] == c)
            ++o;
        else if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' &&
                 !std::isspace(static_cast<unsigned char>(c)))
            return false;
    }
    return o == output.size();
}

bool touched_by_a_build(std::string_view page) {
    std::string lower(page);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("velt") != std::string::npos;
}

// Clearing P (when no build touched it) changes nothing; clearing the build
// of P gives P back, and with numbering P minus old numbers. Each numbered
// round may take the next old number of a heading ("4.3. 42 Title"), so a
// few rounds come to a page that builds and clears back to itself.
void expect_clear_gives_back(const std::string& page, std::string_view name) {
    if (!touched_by_a_build(page)) {
        single_page_project untouched(page, true);
        EXPECT_EQ(untouched.clear(), page) << name;
    }
    single_page_project plain(page, false);
    plain.build();
    EXPECT_EQ(plain.clear(), page) << name;
    single_page_project numbered(page, true);
    numbered.project.heading_links = vtval("#");
    std::string before = page;
    for (int round = 0; round < 4; ++round) {
        numbered.build();
        const std::string after = numbered.clear();
        EXPECT_TRUE(only_numbers_taken(before, after)) << name << "\n" << after;
        if (after == before) return;
        before = after;
    }
    ADD_FAILURE() << name << ": clearing numbered builds takes ever more";
}
}  // namespace

class generated_pages : public testing::TestWithParam<unsigned> {
  protected:
    void SetUp() override { setenv("SOURCE_DATE_EPOCH", "1000000000", 1); }
};

TEST_P(generated_pages, RebuildingChangesNothing) {
    for (bool numbering : {false, true}) {
        single_page_project p(generate_page(GetParam()), numbering);
        std::string first = p.build();
        EXPECT_EQ(p.build(), first) << "numbering " << numbering;
        EXPECT_EQ(p.build(), first) << "numbering " << numbering;
    }
}

TEST_P(generated_pages, OutputIsInputPlusInsertions) {
    page_options options;
    options.numbers = true;  // kept as they are with numbering off
    std::string input = generate_page(GetParam(), options);
    single_page_project p(input, false);
    std::string output = p.build();
    EXPECT_TRUE(only_insertions(input, output)) << input << "\n----\n" << output;
}

TEST_P(generated_pages, ClearingABuildGivesThePageBack) {
    page_options options;
    options.navigation = true;
    expect_clear_gives_back(generate_page(GetParam(), options), "seed");
}

INSTANTIATE_TEST_SUITE_P(seeds, generated_pages, testing::Range(1u, 31u));

// The same properties on real documentation pages.
TEST(real_pages, BuildKeepsEveryByteAndClearingGivesThePageBack) {
    setenv("SOURCE_DATE_EPOCH", "1000000000", 1);
    namespace fs = std::filesystem;
    int pages = 0;
    for (const auto& e : fs::directory_iterator(fs::path(ORVANE_TEST_DATA) / "html" / "real")) {
        if (e.path().extension() != ".html") continue;
        ++pages;
        std::string input = temp_folder::read_file(e.path().string());
        single_page_project plain(input, false);
        std::string output = plain.build();
        EXPECT_NE(output, input) << e.path();
        EXPECT_TRUE(only_insertions(input, output)) << e.path();
        EXPECT_EQ(plain.build(), output) << e.path();
        EXPECT_EQ(plain.clear(), input) << e.path();

        single_page_project numbered(input, true);
        std::string first = numbered.build();
        EXPECT_EQ(numbered.build(), first) << e.path();
        expect_clear_gives_back(input, e.path().string());
    }
    EXPECT_GE(pages, 3);
}

// The same clearing properties on the pages the fuzzers start from and the
// test pages of odd markup.
TEST(odd_pages, ClearingChangesOnlyWhatABuildWrote) {
    setenv("SOURCE_DATE_EPOCH", "1000000000", 1);
    namespace fs = std::filesystem;
    const fs::path root = fs::path(ORVANE_TEST_DATA) / ".." / "..";
    int pages = 0;
    for (const fs::path& folder :
         {root / "fuzz" / "corpus" / "html", root / "fuzz" / "corpus" / "headings",
          root / "tests" / "data" / "html"})
        for (const auto& e : fs::directory_iterator(folder)) {
            if (!e.is_regular_file()) continue;
            ++pages;
            expect_clear_gives_back(temp_folder::read_file(e.path().string()), e.path().string());
        }
    EXPECT_GE(pages, 20);
}

namespace {

// The files of a golden site after a build and after clearing that build,
// read with the given folding.
std::vector<std::map<std::string, std::string>> site_runs(const std::string& site,
                                                          fold_rules rules) {
    namespace fs = std::filesystem;
    set_page_fold_rules(rules);
    temp_folder work;
    fs::copy(fs::path(ORVANE_TEST_DATA) / "golden" / site / "input", work.path(),
             fs::copy_options::recursive);
    const fs::path before = fs::current_path();
    fs::current_path(work.path());
    std::vector<std::map<std::string, std::string>> runs;
    for (const bool clear : {false, true}) {
        toc_project project;
        project.load("project.txt");
        if (clear)
            clear_project(project, nullptr, nullptr);
        else
            build_project(project, nullptr, nullptr);
        runs.push_back(temp_folder::files_below(work.path()));
        runs.back()["(message)"] = project.error_message.str();
    }
    fs::current_path(before);
    set_page_fold_rules(toc_fold_rule);
    return runs;
}

std::pair<std::string, std::string> page_runs(const std::string& page, bool numbering,
                                              fold_rules rules) {
    set_page_fold_rules(rules);
    single_page_project p(page, numbering);
    // Numbered builds write ids, whose names must not clash with the page's.
    p.project.anchor_ids = vtval(numbering ? "1" : "0");
    p.project.insert_local_toc = vtval(1);
    p.project.process_title = vtval(1);
    std::pair<std::string, std::string> runs{p.build(), p.clear()};
    set_page_fold_rules(toc_fold_rule);
    return runs;
}

}  // namespace

// Pages are read for builds and clearing runs with plain markup folded into
// single nodes; whatever the page, that changes no byte of any file written
// and no message.
TEST(folding, ChangesNoByteOfAnyBuildOrClearingRun) {
    setenv("SOURCE_DATE_EPOCH", "1000000000", 1);
    namespace fs = std::filesystem;
    for (const auto& e : fs::directory_iterator(fs::path(ORVANE_TEST_DATA) / "golden")) {
        const std::string site = e.path().filename().string();
        if (!fs::exists(e.path() / "input" / "project.txt")) continue;
        EXPECT_EQ(site_runs(site, toc_fold_rule), site_runs(site, nullptr)) << site;
    }
    std::vector<std::string> pages;
    const fs::path root = fs::path(ORVANE_TEST_DATA) / ".." / "..";
    for (const fs::path& folder :
         {root / "fuzz" / "corpus" / "html", root / "fuzz" / "corpus" / "headings",
          root / "tests" / "data" / "html", root / "tests" / "data" / "html" / "real"})
        for (const auto& e : fs::directory_iterator(folder))
            if (e.is_regular_file()) pages.push_back(temp_folder::read_file(e.path().string()));
    // Ids and names, in elements that would fold, that the headings' ids
    // must give way to.
    pages.push_back(
        "<p>x <b id=\"intro\">y</b></p><p><a name=\"two\">z</a></p><h1>Intro</h1>"
        "<h2>Two</h2><div><i>i</i></div>\n<h1>Intro</h1>");
    // A TOC at the very start goes after the byte-order mark.
    pages.push_back("\xEF\xBB\xBF<p>No heading</p>\n<p>here</p>");
    page_options navigation;
    navigation.navigation = true;
    for (unsigned seed = 1; seed <= 30; ++seed) pages.push_back(generate_page(seed, navigation));
    for (const std::string& page : pages)
        for (const bool numbering : {false, true})
            EXPECT_EQ(page_runs(page, numbering, toc_fold_rule),
                      page_runs(page, numbering, nullptr))
                << page.substr(0, 200);
}

// A size from an earlier look only sizes the reads: whether the page grew
// or shrank since (by less than a read, or by more), every byte is read.
TEST(page_bytes, SizeNotSureReadsThePageToItsEnd) {
    temp_folder dir;
    const std::string page(70000, 'p');
    const std::string path = dir.write("page.html", page);
    for (const int64_t looked : {int64_t{0}, int64_t{1}, int64_t{69999}, int64_t{70000},
                                 int64_t{70001}, int64_t{100000}}) {
        SCOPED_TRACE(looked);
        const vtfile_handle file = vtfile_handle::open(path, "r");
        page_bytes bytes;
        vtstring error;
        ASSERT_EQ(read_page_bytes(file, "page.html", bytes, nullptr, error, looked, false), 0);
        EXPECT_EQ(bytes.bytes(), page);
        EXPECT_EQ(bytes.digest, hash_bytes(page));
    }
}
