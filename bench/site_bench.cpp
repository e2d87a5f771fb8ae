// site_bench: end-to-end builds with the real program, side by side with the
// durable rewrite floor, printed as one table.
//
//   site_bench --bin <build-folder> [--pages 100,1000,10000] [--runs 5]
//              [--page-bytes 23000] [--single-bytes 3900000] [--docs <folder>]
//              [--work <folder>]
//
// Every run works on a fresh copy of a generated site (synced to disk before
// the clock starts): `vorn1 -command project.txt` from inside the copy, then
// `durable_floor` over the same pages of another fresh copy. Wall time is the
// median of the runs; user and system CPU and peak RSS come from wait4() of
// the child.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "site_generator.h"

namespace fs = std::filesystem;

namespace {

struct options {
    std::string bin;
    std::vector<int> pages{100, 1000, 10000};
    int runs = 5;
    size_t page_bytes = 23000;
    size_t single_bytes = 3900000;
    std::string docs;
    std::string work = "/tmp/orvane-site-bench";
};

struct sample {
    double wall = 0, user = 0, sys = 0, rss_mb = 0;
    bool ok = false;
};

struct result {
    sample build;  // medians
    double floor_wall = 0;
    double floor_cpu = 0;  // user + system
};

// One test site: a folder with pages, the list of pages and a project.
struct site {
    std::string name;
    std::string folder;
    std::vector<std::string> pages;
    double megabytes = 0;
};

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// Runs argv in folder with output to log; wall clock and wait4 figures.
sample run_child(const std::string& folder, const std::vector<std::string>& argv,
                 const std::string& log) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    sample s;
    std::fflush(stdout);  // the child must not flush our buffer again
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        if (!freopen(log.c_str(), "w", stdout)) _exit(127);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return s;
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    s.wall = wall.count();
    s.user = seconds(usage.ru_utime);
    s.sys = seconds(usage.ru_stime);
    s.rss_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    s.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return s;
}

void fresh_copy(const site& from, const std::string& to) {
    fs::remove_all(to);
    fs::copy(from.folder, to, fs::copy_options::recursive);
    sync();
}

std::string tagged(const std::string& key, const std::string& value) {
    return "<" + key + ">" + value + "</" + key + ">\r\n";
}

// The project file and the page list of the floor, written into the site.
void write_project(const site& s, const std::string& bin, bool single, bool local_toc,
                   bool numbering = false) {
    std::ofstream p(s.folder + "/project.txt", std::ios::binary);
    p << tagged("is_single", single ? "1" : "0") << tagged("is_dest_as_source", "1")
      << tagged("destination", single ? s.pages[0] : "orvane-toc.html") << tagged("range_from", "1")
      << tagged("range_to", "3") << tagged("process_numbering", numbering ? "1" : "0")
      << tagged("process_title", single ? "0" : "1")
      << tagged("insert_local_toc", local_toc ? "1" : "0")
      << tagged("template_file", fs::absolute(bin + "/vtdata/nested_list.html").string());
    for (const std::string& page : s.pages) p << tagged("source", page);
    std::ofstream list(s.folder + "/pages.txt", std::ios::binary);
    for (const std::string& page : s.pages) list << page << "\n";
}

double megabytes_of(const site& s) {
    double total = 0;
    for (const std::string& page : s.pages)
        total += static_cast<double>(fs::file_size(s.folder + "/" + page));
    return total / 1e6;
}

site generated_site(const options& o, int pages) {
    site s;
    s.name = std::to_string(pages) + " pages";
    s.folder = o.work + "/gen-" + std::to_string(pages) + "-" + std::to_string(o.page_bytes);
    if (!fs::exists(s.folder + "/index.html")) {
        fs::create_directories(s.folder);
        generate_site(s.folder, pages, o.page_bytes, 7);
    }
    for (int i = 0; i < pages; ++i) s.pages.push_back(site_page_name(i));
    s.megabytes = megabytes_of(s);
    return s;
}

site single_page(const options& o) {
    site s;
    s.name = "single page";
    s.folder = o.work + "/gen-single";
    fs::create_directories(s.folder);
    std::ofstream(s.folder + "/big.html", std::ios::binary) << generate_page(11, o.single_bytes);
    s.pages.push_back("big.html");
    s.megabytes = megabytes_of(s);
    return s;
}

// The heading-dense page: 466,033 empty h1 elements, just under the size
// limit, built with numbering on (a number, an anchor and a TOC entry each).
site dense_page(const options& o) {
    site s;
    s.name = "466,033 empty headings";
    s.folder = o.work + "/gen-dense";
    fs::create_directories(s.folder);
    std::ofstream page(s.folder + "/dense.html", std::ios::binary);
    for (int i = 0; i < 466033; ++i) page << "<h1></h1>";
    s.pages.push_back("dense.html");
    s.megabytes = 466033 * 9 / 1e6;
    return s;
}

// A copy of an HTML documentation folder: every .html file under it, in
// name order.
site docs_site(const options& o) {
    site s;
    s.name = "docs " + fs::path(o.docs).filename().string();
    s.folder = o.work + "/gen-docs";
    fs::remove_all(s.folder);
    fs::copy(o.docs, s.folder, fs::copy_options::recursive);
    for (const auto& e : fs::recursive_directory_iterator(s.folder))
        if (e.is_regular_file() && e.path().extension() == ".html")
            s.pages.push_back(fs::relative(e.path(), s.folder).string());
    std::sort(s.pages.begin(), s.pages.end());
    s.megabytes = megabytes_of(s);
    return s;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Alternates builds and floor runs so that drift of the disk hits both.
result measure(const options& o, const site& s, int runs) {
    const std::string vorn1 = fs::absolute(o.bin + "/vorn1").string();
    const std::string floor = fs::absolute(o.bin + "/durable_floor").string();
    const std::string copy = o.work + "/run";
    std::vector<double> wall, user, sys, rss, floor_wall, floor_cpu;
    result r;
    r.build.ok = true;
    for (int i = 0; i < runs; ++i) {
        fresh_copy(s, copy);
        sample b = run_child(copy, {vorn1, "-command", "project.txt"}, o.work + "/report.txt");
        r.build.ok = r.build.ok && b.ok;
        wall.push_back(b.wall);
        user.push_back(b.user);
        sys.push_back(b.sys);
        rss.push_back(b.rss_mb);
        fresh_copy(s, copy);
        const sample f = run_child(copy, {floor, "pages.txt"}, o.work + "/floor.txt");
        floor_wall.push_back(f.wall);
        floor_cpu.push_back(f.user + f.sys);
    }
    r.build.wall = median(wall);
    r.build.user = median(user);
    r.build.sys = median(sys);
    r.build.rss_mb = *std::max_element(rss.begin(), rss.end());
    r.floor_wall = median(floor_wall);
    r.floor_cpu = median(floor_cpu);
    fs::remove_all(copy);
    return r;
}

void print_header() {
    std::printf("%-26s %6s %7s %4s %8s %7s %7s %7s %8s %7s %8s %9s %6s %8s\n", "case", "pages",
                "MB", "runs", "wall s", "user s", "sys s", "MB/s", "pages/s", "RSS MB", "floor s",
                "floor cpu", "ratio", "user/16MB");
}

void print_row(const std::string& name, const site& s, int runs, const result& r) {
    const double mb = s.megabytes;
    std::printf(
        "%-26s %6zu %7.1f %4d %8.3f %7.3f %7.3f %7.1f %8.0f %7.1f %8.3f %9.3f %6.2f %8.3f%s\n",
        name.c_str(), s.pages.size(), mb, runs, r.build.wall, r.build.user, r.build.sys,
        mb / r.build.wall, static_cast<double>(s.pages.size()) / r.build.wall, r.build.rss_mb,
        r.floor_wall, r.floor_cpu, r.build.wall / r.floor_wall, r.build.user / mb * 16.777216,
        r.build.ok ? "" : "  FAILED");
    std::fflush(stdout);
}

bool parse(int argc, char** argv, options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--bin") {
            o.bin = value;
        } else if (key == "--runs") {
            o.runs = std::max(1, std::atoi(value.c_str()));
        } else if (key == "--page-bytes") {
            o.page_bytes = std::strtoull(value.c_str(), nullptr, 10);
        } else if (key == "--single-bytes") {
            o.single_bytes = std::strtoull(value.c_str(), nullptr, 10);
        } else if (key == "--docs") {
            o.docs = value;
        } else if (key == "--work") {
            o.work = value;
        } else if (key == "--pages") {
            o.pages.clear();
            for (size_t at = 0; at < value.size();) {
                size_t comma = value.find(',', at);
                if (comma == std::string::npos) comma = value.size();
                o.pages.push_back(std::atoi(value.substr(at, comma - at).c_str()));
                at = comma + 1;
            }
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !o.bin.empty();
}

}  // namespace

int main(int argc, char** argv) {
    options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: site_bench --bin <build-folder> [--pages 100,1000,10000] "
                     "[--runs 5] [--page-bytes n] [--single-bytes n] [--docs <folder>] "
                     "[--work <folder>]\n");
        return 2;
    }
    fs::create_directories(o.work);
    print_header();
    std::vector<std::pair<double, double>> per_mb;  // wall, user per MB
    for (int pages : o.pages) {
        const site s = generated_site(o, pages);
        // Large sites take minutes per run: fewer runs there.
        const int runs = pages >= 5000 ? std::max(1, (o.runs + 1) / 2) : o.runs;
        write_project(s, o.bin, false, false);
        const result r = measure(o, s, runs);
        print_row("site, local TOCs off", s, runs, r);
        per_mb.emplace_back(r.build.wall / s.megabytes, r.build.user / s.megabytes);
        if (pages == 1000 || (pages == o.pages.front() && o.pages.size() == 1)) {
            write_project(s, o.bin, false, true);
            print_row("site, local TOCs on", s, o.runs, measure(o, s, o.runs));
        }
    }
    const site one = single_page(o);
    write_project(one, o.bin, true, false);
    print_row("single page", one, o.runs, measure(o, one, o.runs));
    const site dense = dense_page(o);
    write_project(dense, o.bin, true, false, true);
    print_row(dense.name, dense, o.runs, measure(o, dense, o.runs));
    if (!o.docs.empty()) {
        const site d = docs_site(o);
        write_project(d, o.bin, false, false);
        print_row(d.name, d, o.runs, measure(o, d, o.runs));
    }
    if (per_mb.size() > 1) {
        std::printf("\nscaling (local TOCs off): ");
        for (size_t i = 0; i < per_mb.size(); ++i)
            std::printf("%s%d pages %.1f ms/MB wall, %.2f ms/MB user", i ? "; " : "", o.pages[i],
                        per_mb[i].first * 1000, per_mb[i].second * 1000);
        double lo = per_mb[0].first, hi = lo;
        for (const auto& [w, u] : per_mb) lo = std::min(lo, w), hi = std::max(hi, w);
        std::printf("\nspread of wall time per MB: %.0f %%\n", (hi / lo - 1) * 100);
    }
    return 0;
}
