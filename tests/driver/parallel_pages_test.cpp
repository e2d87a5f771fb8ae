// Runs on several threads against the same runs on one: the same files,
// progress, notices, lists and the same first failure.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "driver/build_project.h"
#include "driver/clear_project.h"
#include "files/lock_wait.h"
#include "files/vtfile.h"
#include "project/toc_project.h"
#include "support/lock_waiters.h"
#include "support/temp_folder.h"

namespace {

const std::string page_nav =
    "<!--#velt_toc_nav_prev_page--><!--#velt_toc_nav_contents--><!--#velt_toc_nav_next_page-->";

// Page i of a site: headings of every level, some pages without any, some
// with a title only, navigation comments on most.
std::string site_page(int i) {
    std::string page = "<html><head><title>T" + std::to_string(i) + "</title></head><body>";
    if (i % 3 != 1) page += "<!-- toc -->" + page_nav;
    if (i % 5 == 4) return page + "<p>No headings.</p></body></html>";
    for (int h = 0; h < 2 + i % 4; ++h) {
        const std::string level = std::to_string(1 + (i + h) % 4);
        page += "<h" + level + ">H" + std::to_string(i) + "." + std::to_string(h) + " &amp; x</h" +
                level + "><p>" + std::string(static_cast<size_t>(40 + i * 7), 'y') + "</p>";
    }
    return page + "</body></html>";
}

toc_project site(const temp_folder& dir, int pages) {
    toc_project p;
    p.is_single = vtval(0);
    p.source.clear();
    for (int i = 0; i < pages; ++i) {
        const std::string name = "p" + std::to_string(i) + ".html";
        dir.write(name, site_page(i));
        p.source.push_back(vtval(dir.file(name)));
    }
    p.destination = vtval(dir.write("index.html", "<body><!-- toc --></body>"));
    p.template_file =
        vtval(dir.write("t.tpl",
                        "[<!--#for var=\"item\"--><!--#echo var=\"numbering\"--><!--#echo "
                        "var=\"text\"--><!--#echo var=\"link\"-->;<!--#endfor-->]"));
    p.range_from = vtval("1");
    p.range_to = vtval("3");
    p.process_numbering = vtval(1);
    p.process_title = vtval(1);
    p.insert_local_toc = vtval(1);
    return p;
}

std::map<std::string, std::string> snapshot(const temp_folder& dir) {
    std::map<std::string, std::string> files;
    DIR* d = opendir(dir.path().c_str());
    while (const dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") files[name] = dir.read(name);
    }
    closedir(d);
    return files;
}

// Everything a caller sees of a run.
struct seen_run {
    int result = -1;
    std::string error;
    std::vector<int> progress;
    std::vector<std::string> pages;
    std::vector<std::string> changed;
    std::map<std::string, std::string> files;

    static void on_progress(int percent, void* self) {
        static_cast<seen_run*>(self)->progress.push_back(percent);
    }
    static void on_page(std::string_view path, void* self) {
        static_cast<seen_run*>(self)->pages.emplace_back(path);
    }
    bool operator==(const seen_run&) const = default;
};

enum class run_kind { build, check, clear };

seen_run run(run_kind kind, toc_project& p, const temp_folder& dir, int jobs) {
    seen_run s;
    if (kind == run_kind::build)
        s.result = build_project(p, &seen_run::on_progress, &s, &seen_run::on_page, nullptr, jobs);
    else if (kind == run_kind::check)
        s.result =
            check_project(p, s.changed, &seen_run::on_progress, &s, &seen_run::on_page, jobs);
    else
        s.result = clear_project(p, &seen_run::on_progress, &s, &seen_run::on_page, nullptr, jobs);
    s.error = p.error_message.str();
    p.error_message.clear();
    s.files = snapshot(dir);
    return s;
}

// The sites of runs on one thread and on jobs threads, side by side.
struct twin_sites {
    temp_folder one, many;
    toc_project p1, pn;
    explicit twin_sites(int pages) : p1(site(one, pages)), pn(site(many, pages)) {}
    void write(const std::string& name, const std::string& bytes) {
        one.write(name, bytes);
        many.write(name, bytes);
    }
    // Compares the two runs with the folders' names made alike; gives the
    // one-thread run.
    seen_run expect_same(run_kind kind, int jobs, const char* step) {
        seen_run a = run(kind, p1, one, 1);
        seen_run b = run(kind, pn, many, jobs);
        for (auto* names : {&b.pages, &b.changed})
            for (std::string& s : *names)
                if (s.starts_with(many.path())) s = one.path() + s.substr(many.path().size());
        if (const size_t at = b.error.find(many.path()); at != std::string::npos)
            b.error.replace(at, many.path().size(), one.path());
        EXPECT_EQ(a.result, b.result) << step << " " << b.error;
        EXPECT_EQ(a.error, b.error) << step;
        EXPECT_EQ(a.progress, b.progress) << step;
        EXPECT_EQ(a.pages, b.pages) << step;
        EXPECT_EQ(a.changed, b.changed) << step;
        EXPECT_TRUE(a.files == b.files) << step;
        return a;
    }
};

}  // namespace

// A first build, an unchanged check and rebuild, a rebuild after an edit
// and a clearing run: on two, three and eight threads all as on one.
TEST(parallel_pages, EveryThreadCountMakesTheOneThreadRun) {
    setenv("SOURCE_DATE_EPOCH", "1000000000", 1);
    for (int jobs : {2, 3, 8}) {
        twin_sites sites(23);
        sites.expect_same(run_kind::check, jobs, "first check");
        sites.expect_same(run_kind::build, jobs, "first build");
        sites.expect_same(run_kind::check, jobs, "unchanged check");
        sites.expect_same(run_kind::build, jobs, "unchanged rebuild");
        sites.write("p9.html", "<body><h1>New</h1><h3>Deep</h3></body>");
        sites.expect_same(run_kind::check, jobs, "check after an edit");
        sites.expect_same(run_kind::build, jobs, "rebuild after an edit");
        sites.expect_same(run_kind::clear, jobs, "clearing");
    }
    unsetenv("SOURCE_DATE_EPOCH");
}

// A page of some hundred kilobytes: headings, comments a browser reads as
// text or as comments, markers of an old TOC, names in any case.
std::string big_page(int seed) {
    std::string page = "<HTML><head><title>Big " + std::to_string(seed) + "</title></head><Body>";
    page += "<!--#velt_toc_nav_contents--><!-- toc -->";
    for (int i = 0; i < 4000; ++i) {
        const std::string level = std::to_string(1 + (i * seed) % 3);
        page += "<H" + level + ">S" + std::to_string(i) + "</h" + level + "><p title=\"a>b\">" +
                std::string(static_cast<size_t>(20 + i % 50), 'w') + "<!--c--><X" +
                std::to_string(i % 5000) + ">x</x" + std::to_string(i % 5000) + ">";
        if (i % 97 == 0) page += "<script>'<!--#velt_toc_start-->'</script><!--#velt_toc_end-->";
    }
    return page + "</body></html>";
}

// A page and a destination big enough to be read split on several
// threads: the run of one thread, in a site and for a single page.
TEST(parallel_pages, BigPagesReadSplitMakeTheOneThreadRun) {
    setenv("SOURCE_DATE_EPOCH", "1000000000", 1);
    twin_sites sites(4);
    sites.write("p2.html", big_page(2));
    sites.write("index.html", big_page(5));
    sites.expect_same(run_kind::check, 2, "first check");
    sites.expect_same(run_kind::build, 2, "first build");
    sites.expect_same(run_kind::build, 2, "unchanged rebuild");
    sites.write("p1.html", "<body><h1>New</h1></body>");
    sites.expect_same(run_kind::build, 2, "rebuild after an edit");
    // The site's TOC, rendered beside the destination's parse, takes the
    // destination's line ends; a template gone fails as on one thread.
    std::string crlf;
    for (const char c : big_page(7)) crlf += c == '>' ? std::string(">\r\n") : std::string(1, c);
    sites.write("index.html", crlf);
    sites.expect_same(run_kind::build, 2, "CR LF destination");
    sites.write("p1.html", "<body><h1>Newer</h1></body>");
    sites.expect_same(run_kind::check, 2, "check after an edit");
    for (const temp_folder* dir : {&sites.one, &sites.many}) unlink(dir->file("t.tpl").c_str());
    for (toc_project* p : {&sites.p1, &sites.pn}) p->insert_local_toc = vtval(0);
    sites.write("p1.html", "<body><h1>Newest</h1></body>");
    const seen_run gone = sites.expect_same(run_kind::build, 2, "template gone");
    EXPECT_EQ(gone.error, "Can't open template file: " + sites.one.file("t.tpl"));
    sites.write("t.tpl", "<!--#for var=\"item\"--><!--#echo var=\"text\"-->\n<!--#endfor-->");
    sites.expect_same(run_kind::clear, 2, "clearing");
    for (toc_project* p : {&sites.p1, &sites.pn}) {
        const vtval first = p->source[0];
        p->is_single = vtval(1);
        p->source.clear();
        p->source.push_back(first);
    }
    sites.write("p0.html", big_page(3));
    sites.expect_same(run_kind::build, 2, "single page");
    sites.expect_same(run_kind::clear, 2, "single page cleared");
    unsetenv("SOURCE_DATE_EPOCH");
}

// Pages that fail in reading (UTF-16) and in writing (a file size limit):
// the failure reported is the one a run on one thread meets first, though
// other threads met later ones earlier; nothing changes.
TEST(parallel_pages, FirstFailureInTheRunsOrderIsReported) {
    const std::string utf16("\xFF\xFE<\0h\0", 6);
    const std::string too_big = "<body><h1>Big</h1>" + std::string(20000, 'z') + "</body>";
    struct fault_case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> pages;
        const char* named;  // the page the message names
    };
    const fault_case cases[] = {
        {"two reads", {{"p3.html", utf16}, {"p7.html", utf16}}, "p3.html"},
        {"a write before a read", {{"p3.html", too_big}, {"p7.html", utf16}}, "p3.html"},
        // Page 2 is written only once page 3 is scanned.
        {"a read before the write of the page before",
         {{"p2.html", too_big}, {"p3.html", utf16}},
         "p3.html"},
    };
    std::signal(SIGXFSZ, SIG_IGN);
    for (const fault_case& c : cases) {
        for (int jobs : {2, 4}) {
            twin_sites sites(12);
            for (const auto& [name, bytes] : c.pages) sites.write(name, bytes);
            const auto before = snapshot(sites.one);
            rlimit old{};
            getrlimit(RLIMIT_FSIZE, &old);
            rlimit small = old;
            small.rlim_cur = 10000;
            setrlimit(RLIMIT_FSIZE, &small);
            const seen_run built = sites.expect_same(run_kind::build, jobs, c.name);
            sites.expect_same(run_kind::clear, jobs, c.name);
            setrlimit(RLIMIT_FSIZE, &old);
            EXPECT_NE(built.error.find(c.named), std::string::npos) << c.name << built.error;
            EXPECT_TRUE(built.files == before) << c.name;
        }
    }
}

namespace {

// What a run told, in order: the pages it read and what opening them told
// (a wait for a page another program holds, a page restored from its
// backup), each page by its name.
std::mutex g_told_mutex;
std::vector<std::string> g_told;
int g_held = -1;  // the held page's descriptor, closed once the wait is told

void tell(const std::string& what, std::string_view path) {
    const std::lock_guard lock(g_told_mutex);
    g_told.push_back(what + std::string(path.substr(path.find_last_of('/') + 1)));
}

std::vector<std::string> told_in(run_kind kind, toc_project& p, int jobs, int held) {
    g_told.clear();
    g_held = held;
    std::vector<std::string> changed;
    const auto page = [](std::string_view path, void*) { tell("page ", path); };
    if (kind == run_kind::build)
        build_project(p, nullptr, nullptr, page, nullptr, jobs);
    else if (kind == run_kind::check)
        check_project(p, changed, nullptr, nullptr, page, jobs);
    else
        clear_project(p, nullptr, nullptr, page, nullptr, jobs);
    tell("error ", p.error_message.str());
    p.error_message.clear();
    if (g_held >= 0) close(g_held);
    return g_told;
}

}  // namespace

// Opening a page may wait for another program or restore the page from a
// backup. Workers open pages ahead of the run, but the wait and the restore
// are told just where a run on one thread tells them: after the page's own
// notice, and not at all when an earlier page stops the run.
TEST(parallel_pages, WaitsAndRestoresAreToldWhereTheRunIs) {
    vtfile_set_wait_teller([](std::string_view shown) {
        tell("wait ", shown);
        if (g_held >= 0) close(std::exchange(g_held, -1));
    });
    vtfile_set_restore_teller([](std::string_view path, bool) { tell("restored ", path); });
    const std::string utf16("\xFF\xFE<\0h\0", 6);
    struct told_case {
        const char* name;
        bool held;           // p5 held, else half rewritten
        bool fails_earlier;  // p3 cannot be read
    } cases[] = {
        {"held", true, false}, {"restored", false, false}, {"held after a failure", true, true}};
    for (const told_case& c : cases)
        for (run_kind kind : {run_kind::build, run_kind::check, run_kind::clear}) {
            std::vector<std::string> one_thread;
            for (int jobs : {1, 3}) {
                temp_folder dir;
                toc_project p = site(dir, 12);
                if (c.fails_earlier) dir.write("p3.html", utf16);
                const std::string page = dir.file("p5.html");
                plant_rewrite_backup(page);
                int held = -1;
                if (c.held) {
                    held = open(page.c_str(), O_RDONLY | O_CLOEXEC);
                    flock(held, LOCK_EX);
                } else {
                    dir.write("p5.html", "x" + dir.read("p5.html").substr(1));
                }
                // Reached only by a worker: it gives up soon.
                if (c.fails_earlier) setenv("VORN1_LOCK_WAIT", "1", 1);
                const std::vector<std::string> told = told_in(kind, p, jobs, held);
                unsetenv("VORN1_LOCK_WAIT");
                if (jobs == 1) {
                    one_thread = told;
                    const auto at = std::find(told.begin(), told.end(), "page p5.html");
                    const std::string notice = c.held ? "wait p5.html" : "restored p5.html";
                    EXPECT_EQ(at == told.end() ? "" : at[1], c.fails_earlier ? "" : notice);
                } else {
                    EXPECT_EQ(told, one_thread) << c.name << ", jobs " << jobs;
                }
            }
        }
    vtfile_set_wait_teller(nullptr);
    vtfile_set_restore_teller(nullptr);
}

// A template too big to be held in memory is read again for each page's
// TOC: every page gets its whole TOC, as from a small one.
TEST(parallel_pages, TemplateTooBigToHoldRendersEveryPage) {
    setenv("SOURCE_DATE_EPOCH", "1000000000", 1);
    const std::string padding((1 << 20) + 5000, 'z');
    for (int jobs : {1, 3}) {
        twin_sites sites(9);
        sites.many.write("t.tpl", sites.many.read("t.tpl") + padding);
        const seen_run small = run(run_kind::build, sites.p1, sites.one, jobs);
        const seen_run big = run(run_kind::build, sites.pn, sites.many, jobs);
        ASSERT_EQ(small.result, 0) << small.error;
        ASSERT_EQ(big.result, 0) << big.error;
        int tocs = 0;
        for (const auto& [name, bytes] : small.files) {
            if (name == "t.tpl") continue;
            std::string expected = bytes;
            for (size_t at = expected.find("]<!--VELT_HTML_TOC_END-->"); at != std::string::npos;
                 at = expected.find("]<!--VELT_HTML_TOC_END-->", at + padding.size())) {
                expected.insert(at + 1, padding);
                ++tocs;
            }
            EXPECT_TRUE(big.files.at(name) == expected) << name << " on " << jobs << " threads";
        }
        EXPECT_GT(tocs, 6);
    }
    unsetenv("SOURCE_DATE_EPOCH");
}
