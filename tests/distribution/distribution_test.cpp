// Checks of the distribution data: the template catalogue and every template it
// lists, rendered over awkward TOC shapes; the default settings; the links of
// the help pages; and the example site built and cleared by the real program.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "project/toc_project.h"
#include "project/vthash_array.h"
#include "support/run_program.h"
#include "support/temp_folder.h"
#include "toc/toc_renderer.h"

namespace fs = std::filesystem;

namespace {

const std::string kData = ORVANE_SOURCE_DIR "/data";
const std::string kExamples = ORVANE_SOURCE_DIR "/examples";
const std::string kEnd = "<!--VELT_HTML_TOC_END-->";

std::string read_file(const std::string& path) {
    return temp_folder::read_file(path);
}

bool crlf_only(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
    }
    return true;
}

std::vector<std::string> values(const vthash_array& map, const char* key) {
    std::vector<std::string> out;
    if (const vtarr* list = map.get_all(key)) {
        for (const vtval& v : *list) out.emplace_back(v.text());
    }
    return out;
}

// Problems with the element structure of an HTML fragment: end tags that do not
// close the innermost open element, elements left open, list items outside a
// list, and lists or text directly inside a list. Comments are skipped.
std::vector<std::string> nesting_problems(const std::string& html) {
    static const std::set<std::string> kVoid = {"br", "img", "hr", "meta", "link", "input"};
    static const std::regex kToken(R"(<!--[\s\S]*?-->|<(/?)([a-zA-Z0-9]+)[^>]*>|[^<]+)");
    std::vector<std::string> problems, open;
    auto in_list = [&] { return !open.empty() && (open.back() == "ul" || open.back() == "ol"); };
    for (std::sregex_iterator it(html.begin(), html.end(), kToken), end; it != end; ++it) {
        const std::smatch& m = *it;
        if (!m[2].matched) {
            const std::string text = m.str();
            if (!text.starts_with("<!--") && in_list() &&
                text.find_first_not_of(" \t\r\n") != std::string::npos) {
                problems.push_back("text directly in a list: " + text);
            }
            continue;
        }
        std::string name = m.str(2);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (m.length(1) == 0) {
            if (name == "li" && !in_list()) problems.push_back("li outside a list");
            if ((name == "ul" || name == "ol") && in_list()) problems.push_back("list in a list");
            if (!kVoid.count(name)) open.push_back(name);
        } else if (open.empty() || open.back() != name) {
            problems.push_back("</" + name + "> does not close " +
                               (open.empty() ? std::string("anything") : "<" + open.back() + ">"));
        } else {
            open.pop_back();
        }
    }
    for (const std::string& name : open) problems.push_back("<" + name + "> left open");
    return problems;
}

// The template's output: what lies between the explanatory comment and the end
// marker.
std::string template_part(const std::string& toc) {
    const size_t from = toc.find("-->\r\n", toc.find("<!--\r\n"));
    const size_t to = toc.rfind(kEnd);
    if (from == std::string::npos || to == std::string::npos || to < from) return toc;
    return toc.substr(from + 5, to - from - 5);
}

struct catalogue {
    std::vector<std::string> files, names, descriptions;
};

catalogue load_catalogue() {
    vthash_array map;
    vtstring error;
    EXPECT_TRUE(map.read(kData + "/vtdata/templates.txt", error)) << error.view();
    return {values(map, "file"), values(map, "name"), values(map, "description")};
}

TEST(distribution_catalogue, ListsEveryTemplateOnceWithNameAndDescription) {
    const catalogue c = load_catalogue();
    ASSERT_GE(c.files.size(), 4u);
    EXPECT_EQ(c.names.size(), c.files.size());
    EXPECT_EQ(c.descriptions.size(), c.files.size());
    EXPECT_EQ(c.files.front(), "nested_list.html");  // the window's default choice
    EXPECT_EQ(std::set<std::string>(c.names.begin(), c.names.end()).size(), c.names.size());
    EXPECT_TRUE(crlf_only(read_file(kData + "/vtdata/templates.txt")));
    for (const std::string& file : c.files) {
        const std::string path = kData + "/vtdata/" + file;
        ASSERT_TRUE(fs::is_regular_file(path)) << path;
        EXPECT_TRUE(crlf_only(read_file(path))) << file;
    }
    for (const std::string& d : c.descriptions) EXPECT_GT(d.size(), 80u) << d;
}

// Renders every catalogued template over one TOC shape and checks the result.
class template_shapes : public ::testing::Test {
  protected:
    toc_node* add(toc_node* parent, const std::string& text) {
        toc_node* n = toc.make();
        toc.set_text(n, text);
        toc.set_link(n, "dir/a%20page.html#" + text);
        if (numbered) toc.set_numbering(n, "9." + std::to_string(++counter) + ". ");
        if (parent)
            toc.append_child(n, parent);
        else
            toc.append_top(n);
        return n;
    }
    // Entries opened when rendering from start: start and everything after it.
    static int opened_from(const toc_node* start) {
        int n = 0;
        for (const toc_node* x = start; x; x = next_in_order(x)) ++n;
        return n;
    }
    static const toc_node* next_in_order(const toc_node* x) {
        if (x->first_child) return x->first_child;
        while (x && !x->next) x = x->parent;
        return x ? x->next : nullptr;
    }
    void check_all(const toc_node* start) {
        const catalogue c = load_catalogue();
        for (const std::string& file : c.files) {
            toc_renderer renderer;
            ASSERT_TRUE(renderer.open(kData + "/vtdata/" + file)) << file;
            std::string text;
            ASSERT_TRUE(renderer.render(toc, start, [&](std::string_view p) { text += p; }))
                << file;
            const std::string part = template_part(text);
            EXPECT_EQ(part.find("Error occurred"), std::string::npos) << file << part;
            EXPECT_EQ(part.find("<!--#"), std::string::npos) << file << part;
            for (const std::string& p : nesting_problems(part)) ADD_FAILURE() << file << ": " << p;
            size_t links = 0;
            for (size_t at = part.find("href=\""); at != std::string::npos;
                 at = part.find("href=\"", at + 1)) {
                ++links;
            }
            EXPECT_EQ(links, static_cast<size_t>(opened_from(start))) << file << part;
            for (const toc_node* x = start; x; x = next_in_order(x)) {
                EXPECT_NE(part.find(std::string(x->link()) + "\""), std::string::npos) << file;
                EXPECT_NE(part.find(std::string(x->text()) + "</a>"), std::string::npos)
                    << file << part;
                EXPECT_NE(part.find(std::string(x->numbering())), std::string::npos) << file;
            }
        }
    }

    toc_tree toc;
    bool numbered = true;
    int counter = 0;
};

TEST_F(template_shapes, WholeTreeWithDeepNesting) {
    toc.indent = "&nbsp;&nbsp;";
    toc_node* a = add(nullptr, "Alpha");
    add(a, "Alpha one");
    toc_node* a2 = add(a, "Alpha two");
    add(add(a2, "Deep"), "Deeper &amp; deepest");
    add(nullptr, "Beta");
    add(add(nullptr, "Gamma"), "Gamma one");
    check_all(a);
}

TEST_F(template_shapes, LocalTocUnderAPageTitleWithoutNumbers) {
    numbered = false;
    add(nullptr, "Earlier page");
    toc_node* title = add(nullptr, "Page title");
    toc_node* first = add(title, "First heading");
    add(add(first, "Section"), "Subsection");
    add(title, "Second heading");
    check_all(first);  // the walk also closes the title, which it never opened
}

TEST_F(template_shapes, StartTwoLevelsDownThenClimbsPastUnopenedAncestors) {
    toc_node* p = add(nullptr, "Previous page");
    toc_node* q = add(p, "Its section");
    toc_node* start = add(q, "Deep start");
    add(start, "Below start");
    add(q, "Sibling");
    add(p, "Back up one");
    add(add(nullptr, "New top"), "Under new top");
    check_all(start);
}

TEST_F(template_shapes, SingleEntry) {
    check_all(add(nullptr, "Only"));
}

TEST(distribution_settings, DefaultSettingsCentreTheWindowAndForgetFormatOptions) {
    vthash_array map;
    vtstring error;
    ASSERT_TRUE(map.read(kData + "/vorn_set.txt", error)) << error.view();
    for (const char* key : {"save_format_on_exit", "form_width", "form_height"}) {
        vtval v;
        EXPECT_TRUE(map.get_first(key, v)) << key;
        EXPECT_EQ(v.text(), "0") << key;
    }
    EXPECT_TRUE(crlf_only(read_file(kData + "/vorn_set.txt")));
}

TEST(distribution_help, ContextPagesExistAndEveryLocalLinkResolves) {
    std::vector<fs::path> pages = {kData + "/help.html"};
    for (int context : {4, 5, 6, 7}) {
        pages.emplace_back(kData + "/help/" + std::to_string(context) + ".html");
    }
    static const std::regex kRef(R"re((?:href|src)="([^"]*)")re");
    for (const fs::path& page : pages) {
        ASSERT_TRUE(fs::is_regular_file(page)) << page;
        const std::string html = read_file(page.string());
        EXPECT_TRUE(crlf_only(html)) << page;
        for (const std::string& p : nesting_problems(html)) ADD_FAILURE() << page << ": " << p;
        for (std::sregex_iterator it(html.begin(), html.end(), kRef), end; it != end; ++it) {
            std::string ref = (*it)[1];
            if (ref.starts_with("http") || ref.starts_with("#")) continue;
            const std::string fragment =
                ref.find('#') == std::string::npos ? std::string() : ref.substr(ref.find('#') + 1);
            ref = ref.substr(0, ref.find('#'));
            const fs::path target = page.parent_path() / ref;
            EXPECT_TRUE(fs::is_regular_file(target)) << page << " -> " << ref;
            if (!fragment.empty() && fs::is_regular_file(target)) {
                EXPECT_NE(read_file(target.string()).find("id=\"" + fragment + "\""),
                          std::string::npos)
                    << page << " -> " << ref << "#" << fragment;
            }
        }
    }
}

TEST(distribution_examples, ProjectFilesAreInTheToolsOwnFormat) {
    // A project file that the tool saves again unchanged holds exactly the
    // keys of a project, in order, escaped and with CR LF line ends.
    temp_folder dir;
    for (const char* name :
         {"project.txt", "single-project.txt", "book/project.txt", "html5/project.txt"}) {
        const std::string path = kExamples + "/" + name;
        toc_project project;
        ASSERT_EQ(project.load(path), 0) << project.error_message.view();
        ASSERT_EQ(project.save(dir.file("saved.txt")), 0);
        EXPECT_EQ(dir.read("saved.txt"), read_file(path)) << name;
        for (const vtval& source : project.source) {
            EXPECT_TRUE(fs::is_regular_file(fs::path(path).parent_path() / source.text()));
        }
    }
}

// The example site, copied with the templates beside it as in the build tree.
class example_site : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(vorn1_path())) GTEST_SKIP() << "vorn1 is not built";
        fs::copy(kExamples, site(), fs::copy_options::recursive);
        fs::copy(kData + "/vtdata", dir.file("vtdata"), fs::copy_options::recursive);
    }
    std::string site() const { return dir.file("example"); }
    std::string page(const std::string& name) const { return read_file(site() + "/" + name); }
    program_result run(const char* command, const char* project) {
        return run_program(vorn1_path(), {command, project}, site(),
                           {"SOURCE_DATE_EPOCH=1785312000"});
    }

    temp_folder dir;
};

TEST_F(example_site, BuildLinksEveryPageFromTheContentsPage) {
    const program_result r = run("-command", "project.txt");
    ASSERT_EQ(r.out, "Orvane 1.0b\r\nBuild is complete.\r\n") << r.err;
    EXPECT_EQ(r.status, 0);
    const std::string index = page("index.html");
    const size_t start = index.find("<!-- toc --><!--VELT_HTML_TOC_START-->");
    ASSERT_NE(start, std::string::npos);
    const std::string toc = index.substr(start, index.find(kEnd) + kEnd.size() - start);
    for (const std::string& problem : nesting_problems(template_part(toc)))
        ADD_FAILURE() << problem;
    for (const char* link :
         {"getting%20started.html#velt_link_1_1785312000", "setup/mounting.html#pairing",
          "setup/network.html#velt_link_4_1785312000", "display.html#velt_link_7_1785312000",
          "maintenance.html#velt_link_6_1785312000"}) {
        EXPECT_NE(toc.find("href=\"" + std::string(link) + "\""), std::string::npos) << link;
    }
    EXPECT_NE(toc.find(">5.1. Cleaning</a>"), std::string::npos);      // old number replaced
    EXPECT_EQ(toc.find("After a battery change"), std::string::npos);  // h4 is out of range
    // Navigation comments stay, each followed by its text.
    EXPECT_NE(page("setup/mounting.html")
                  .find("<!--#velt_toc_nav_prev_page--><a href=\"../getting%20started.html\" "
                        "rel=\"prev\">1. Getting started</a><!--/velt_toc_nav-->"),
              std::string::npos);

    // A second build replaces the TOC in place and changes nothing else.
    ASSERT_EQ(run("-command", "project.txt").status, 0);
    EXPECT_EQ(page("index.html"), index);
}

TEST_F(example_site, SingleProjectWritesItsDestinationAndKeepsThePage) {
    const std::string original = page("single/page.html");
    const program_result r = run("-command", "single-project.txt");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(page("single/page.html"), original);
    const std::string result = page("single/page-toc.html");
    EXPECT_NE(result.find("<!-- toc --><!--VELT_HTML_TOC_START-->"), std::string::npos);
    EXPECT_NE(result.find("href=\"#velt_link_1_1785312000\">Readings</a>"), std::string::npos);
    EXPECT_EQ(result.find("BW-200 Frequently Asked Questions</a>"), std::string::npos);
}

// The book and HTML5 examples: each builds, rebuilds to the same bytes,
// passes the link check and clears back to its pages as they were.
TEST_F(example_site, BookAndHtml5ExamplesBuildRebuildAndClear) {
    const struct {
        const char* folder;
        const char* page;  // the page that gets the TOC
        // What the TOC's entries read, in order, and what the pages show.
        std::vector<std::string> toc;
        std::vector<std::pair<const char*, const char*>> shown;
    } examples[] = {
        {"book",
         "contents.html",
         {"Preface", "How to read this book", "1. The boat", "1.1. Hull and rig",
          "Parts of the rig", "1.2. Safety gear", "2. First sail", "2.1. Rigging on the shore",
          "2.2. Leaving the beach", "3. Racing", "3.1. The start", "Appendix A: Knots", "Bowline",
          "Appendix B: Glossary"},
         {{"chapters/1-the-boat.html",
           "<h1 id=\"the-boat\" data-velt-id><span class=\"secnum\">1.</span> The boat</h1>"},
          {"chapters/1-the-boat.html",
           "<h3 id=\"parts-of-the-rig\" data-velt-id>Parts of the rig</h3>"},
          {"appendices/a-knots.html",
           "<h1 class=\"unnumbered\" id=\"appendix-a-knots\" data-velt-id>Appendix A: "
           "Knots</h1>"}}},
        {"html5",
         "guide.html",
         {"Installing", "Water tank", "Caf&eacute; &amp; cr&egrave;me &mdash; notes", "Descaling",
          "An empty id"},
         {{"guide.html", "<h2 id=\"install\">Installing</h2>"},
          {"guide.html",
           "<h2 id=\"café-crème-notes\" data-velt-id>Caf&eacute; &amp; cr&egrave;me &mdash; "
           "notes</h2>"},
          {"guide.html", "href=\"#descaling\">Descaling</a>"},
          {"guide.html", "<h2 class=\"no-toc\">Other machines</h2>"}}},
    };
    const std::regex entry(R"(<a href="[^"]*">([^<]*)</a>)");
    for (const auto& example : examples) {
        const std::string folder = site() + "/" + example.folder;
        auto vorn1 = [&](const char* command) {
            return run_program(vorn1_path(), {command, "project.txt"}, folder,
                               {"SOURCE_DATE_EPOCH=1785312000"});
        };
        auto pages = [&] {
            std::map<std::string, std::string> files;
            for (const auto& e : fs::recursive_directory_iterator(folder))
                if (e.is_regular_file()) files[e.path().string()] = read_file(e.path().string());
            return files;
        };
        const auto original = pages();
        const program_result built = vorn1("-command");
        ASSERT_EQ(built.out, "Orvane 1.0b\r\nBuild is complete.\r\n") << built.err;
        const std::string with_toc = read_file(folder + "/" + example.page);
        const size_t start = with_toc.find("<!--VELT_HTML_TOC_START-->");
        ASSERT_NE(start, std::string::npos) << example.folder;
        const std::string toc = with_toc.substr(start, with_toc.find(kEnd) - start);
        std::vector<std::string> entries;
        for (std::sregex_iterator it(toc.begin(), toc.end(), entry), end; it != end; ++it)
            entries.push_back((*it)[1]);
        EXPECT_EQ(entries, example.toc) << example.folder;
        for (const auto& [page, text] : example.shown)
            EXPECT_NE(read_file(folder + "/" + page).find(text), std::string::npos)
                << page << ": " << text;
        const auto first = pages();
        EXPECT_EQ(vorn1("-links").status, 0) << example.folder;
        ASSERT_EQ(vorn1("-command").status, 0);
        EXPECT_EQ(pages(), first) << example.folder;
        ASSERT_EQ(vorn1("-clear").status, 0);
        EXPECT_EQ(pages(), original) << example.folder;
    }
}

TEST_F(example_site, ClearedAndRebuiltEveryLinkLeadsSomewhere) {
    // Three rounds of build and clear: each build's links lead somewhere
    // (breadcrumbs, page links, heading links, the TOC), and each clearing
    // gives back the pages, but for the old number a numbered build
    // replaced.
    const char* const pages[] = {"index.html",          "getting started.html",
                                 "setup/mounting.html", "setup/network.html",
                                 "display.html",        "maintenance.html"};
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(run("-command", "project.txt").status, 0);
        const program_result links = run("-links", "project.txt");
        EXPECT_EQ(links.out, "Orvane 1.0b\r\nLinks are fine.\r\n") << round;
        EXPECT_EQ(links.status, 0);
        ASSERT_EQ(run("-clear", "project.txt").status, 0) << round;
        for (const char* name : pages) {
            std::string original = read_file(kExamples + "/" + name);
            if (std::string_view(name) == "maintenance.html")
                original.replace(original.find("<h2>7. Cleaning"), 7, "<h2>");
            EXPECT_EQ(page(name), original) << name << " " << round;
        }
    }
}

}  // namespace

namespace {

// The first line a shell command prints.
std::string first_line_of(const std::string& command) {
    const program_result r = run_program("/bin/sh", {"-c", command}, "");
    return r.out.substr(0, r.out.find('\n'));
}

}  // namespace

// The Debian package's "Create ToC" entry takes HTML pages in the "Open
// With" choices without becoming their program: where the user chose one,
// and where the desktop picks the system's browser (the package's entry is
// named to come after the browsers Debian ships), the answer stays.
TEST(distribution_package, OpenWithEntryLeavesTheProgramForHtmlPages) {
    for (const char* tool : {"xdg-mime", "gio", "update-desktop-database"})
        if (run_program("/bin/sh", {"-c", std::string("command -v ") + tool}, "").status != 0)
            GTEST_SKIP() << tool << " is missing";
    const std::string linux_files = ORVANE_SOURCE_DIR "/packaging/linux/";
    for (const char* browser :
         {"firefox-esr", "chromium", "org.gnome.Epiphany", "org.kde.falkon"}) {
        for (const bool configured : {false, true}) {
            temp_folder dir;
            const std::string apps = dir.path() + "/share/applications";
            fs::create_directories(apps);
            fs::create_directories(dir.path() + "/home/.config");
            // The program the entries start (desktops skip an entry whose
            // program they cannot find).
            fs::create_directories(dir.path() + "/bin");
            dir.write("bin/vorn1", "#!/bin/sh\n");
            fs::permissions(dir.path() + "/bin/vorn1", fs::perms::owner_all);
            dir.write(std::string("share/applications/") + browser + ".desktop",
                      "[Desktop Entry]\nType=Application\nName=B\nExec=true %u\n"
                      "MimeType=text/html;\n");
            dir.write("share/applications/other.desktop",
                      "[Desktop Entry]\nType=Application\nName=O\nExec=true %u\n");
            if (configured)
                dir.write("home/.config/mimeapps.list",
                          "[Default Applications]\ntext/html=other.desktop;\n");
            const std::string env = "HOME='" + dir.path() + "/home' XDG_CONFIG_HOME='" +
                                    dir.path() + "/home/.config' XDG_DATA_HOME='" + dir.path() +
                                    "/home/.local/share' XDG_DATA_DIRS='" + dir.path() +
                                    "/share' XDG_CONFIG_DIRS=/nonexistent XDG_CURRENT_DESKTOP= "
                                    "PATH='" +
                                    dir.path() + "/bin':\"$PATH\" ";
            const std::string refresh = "update-desktop-database '" + apps + "'";
            const std::string ask =
                env + "sh -c 'xdg-mime query default text/html; gio mime text/html | head -1'";
            ASSERT_EQ(std::system(refresh.c_str()), 0);
            const program_result before = run_program("/bin/sh", {"-c", ask}, "");
            for (const char* entry :
                 {"org.orvane.Orvane.desktop", "org.orvane.Orvane.CreateToc.desktop"})
                fs::copy_file(linux_files + entry, apps + "/" + entry);
            ASSERT_EQ(std::system(refresh.c_str()), 0);
            const program_result after = run_program("/bin/sh", {"-c", ask}, "");
            EXPECT_EQ(after.out, before.out) << browser << (configured ? " configured" : "");
            EXPECT_NE(before.out.find(configured ? "other.desktop" : browser), std::string::npos)
                << before.out;
            EXPECT_NE(first_line_of(env + "gio mime text/html | grep -c CreateToc"), "0");
        }
    }
}
