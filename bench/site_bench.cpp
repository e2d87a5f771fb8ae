// site_bench: end-to-end builds with the real program, side by side with the
// floors of rewriting pages safely, printed as tables.
//
//   site_bench --bin <build-folder> [--pages 100,1000,10000] [--runs 5]
//              [--page-bytes 23000] [--single-bytes 3900000] [--docs <folder>]
//              [--work <folder>] [--scale <pages>]
//
// Every run works on a fresh copy of a site (synced to disk before the clock
// starts), `vorn1 -command project.txt` from inside the copy. On generated
// sites each run goes on with a rebuild of the unchanged site, a rebuild
// after one page was edited and a clearing run, and the floors run on copies
// of their own: the per-page durable floor (durable_floor), the batched floor
// with each barrier and the read-and-compare floor (batched_floor). Wall time
// is the median of the runs; user and system CPU and peak RSS come from
// wait4() of the child; load is the one-minute load average at the start.
// --scale adds one first build of a generated site of that many pages,
// when the disk has room for it: small pages listing h1 only, so that
// 100,000 pages give a TOC page of about 27 MB, within the page size limit,
// beside 1,000 such pages for the time per MB.
// With strace on PATH, one more pass of each site's builds runs each under
// `strace -f -c`, untimed, for its system calls a page (calls/pg).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_site.h"
#include "site_runs.h"

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
    int scale = 0;
};

void print_header() {
    std::printf("%-26s %6s %7s %4s %8s %7s %7s %7s %8s %7s %6s %8s %9s %6s %8s %5s\n", "case",
                "pages", "MB", "runs", "wall s", "user s", "sys s", "MB/s", "pages/s", "RSS MB",
                "RSS/MB", "floor s", "floor cpu", "ratio", "user/16MB", "load");
}

// A build beside the per-page durable floor.
void print_row(const std::string& name, const site& s, const site_figures& f) {
    const sample b = f.first.series.medians();
    const floor_figures* floor = f.floor("per-page");
    const sample fl = floor ? floor->series.medians() : sample{};
    const double mb = s.megabytes;
    std::printf(
        "%-26s %6zu %7.1f %4d %8.3f %7.3f %7.3f %7.1f %8.0f %7.1f %6.1f %8.3f %9.3f %6.2f %8.3f "
        "%5.1f%s\n",
        name.c_str(), s.pages.size(), mb, f.first.series.size(), b.wall, b.user, b.sys, mb / b.wall,
        static_cast<double>(s.pages.size()) / b.wall, b.rss_mb, b.rss_mb / mb, fl.wall, fl.cpu(),
        fl.wall > 0 ? b.wall / fl.wall : 0, b.user / mb * 16.777216, b.load,
        b.ok ? "" : "  FAILED");
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
        } else if (key == "--scale") {
            o.scale = std::atoi(value.c_str());
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

struct sized_figures {
    site s;
    site_figures f;
};

void print_scaling(const std::vector<sized_figures>& sites) {
    std::printf("\nscaling (local TOCs off): ");
    double lo = 0, hi = 0;
    for (size_t i = 0; i < sites.size(); ++i) {
        const sample b = sites[i].f.first.series.medians();
        const double wall = b.wall / sites[i].s.megabytes;
        std::printf("%s%zu pages %.1f ms/MB wall, %.2f ms/MB user", i ? "; " : "",
                    sites[i].s.pages.size(), wall * 1000, b.user / sites[i].s.megabytes * 1000);
        lo = i ? std::min(lo, wall) : wall;
        hi = i ? std::max(hi, wall) : wall;
    }
    std::printf("\nspread of wall time per MB: %.0f %%\n", (hi / lo - 1) * 100);
}

// The pages of the scale run and the heading levels they list.
constexpr size_t scale_page_bytes = 4000;
constexpr int scale_range_to = 1;

// One first build of a large generated site, against 1,000 pages of the
// same kind.
void scale_run(const options& o, const bench_programs& p, run_copies& copies) {
    std::printf("\n== Scale: one first build of %d pages of %zu bytes, h1 listed ==\n", o.scale,
                scale_page_bytes);
    const std::string folder =
        o.work + "/gen-" + std::to_string(o.scale) + "-" + std::to_string(scale_page_bytes);
    const double site_bytes = static_cast<double>(o.scale) * static_cast<double>(scale_page_bytes);
    // The site (unless made before), a copy for the build and one for each
    // floor, and 1 GB to spare.
    const double needed = (fs::exists(folder) ? 0 : site_bytes) + 3 * site_bytes + 1e9;
    if (free_bytes(o.work) < needed) {
        std::printf("skipped: %.1f GB free in %s, %.1f GB needed\n", free_bytes(o.work) / 1e9,
                    o.work.c_str(), needed / 1e9);
        return;
    }
    const site small = generated_site(o.work, 1000, scale_page_bytes);
    write_project(small, o.bin, false, false, false, false, scale_range_to);
    site_plan plan;
    plan.runs = o.runs;
    plan.rebuilds = false;
    plan.floors = {"per-page"};
    const site_figures base = measure_site(p, copies, small, plan);
    site big = generated_site(o.work, o.scale, scale_page_bytes);
    write_project(big, o.bin, false, false, false, false, scale_range_to);
    plan.runs = 1;
    if (base.fastest_batched()) plan.floors.push_back(base.fastest_batched()->mode);
    const site_figures f = measure_site(p, copies, big, plan);
    print_header();
    print_row("small pages, h1", small, base);
    print_row("small pages, h1", big, f);
    print_floors_header();
    print_floors(big, f);
    const sample b = f.first.series.medians();
    std::printf("peak RSS %.1f MB (target < 256 MB); %.2f ms/MB wall, %.2f ms/MB cpu", b.rss_mb,
                b.wall / big.megabytes * 1000, b.cpu() / big.megabytes * 1000);
    const sample k = base.first.series.medians();
    std::printf("; against 1,000 pages: %.2f x wall per MB (target <= 1.2), %.2f x cpu per MB\n",
                (b.wall / big.megabytes) / (k.wall / small.megabytes),
                (b.cpu() / big.megabytes) / (k.cpu() / small.megabytes));
}

// Single pages and documentation folders: builds beside the per-page floor.
site_figures build_only(const bench_programs& p, run_copies& copies, const site& s, int runs) {
    site_plan plan;
    plan.runs = runs;
    plan.rebuilds = false;
    plan.floors = {"per-page"};
    return measure_site(p, copies, s, plan);
}

// The path of program in a folder of PATH; empty when there is none.
std::string program_on_path(const std::string& program) {
    std::istringstream folders(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (access((folder + "/" + program).c_str(), X_OK) == 0) return folder + "/" + program;
    return "";
}

void run(const options& o) {
    const std::string bin = fs::absolute(o.bin).string();
    const bench_programs p{bin + "/vorn1", bin + "/durable_floor", bin + "/batched_floor", o.work,
                           program_on_path("strace")};
    run_copies copies(o.work);
    // The runs keep their page caches in the work folder, never the user's;
    // each copy of a site is a project of its own, with a cache of its own.
    const std::string cache = fs::absolute(o.work).string() + "/cache";
    fs::remove_all(cache);
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    print_header();
    std::vector<sized_figures> sites;
    for (int pages : o.pages) {
        const site s = generated_site(o.work, pages, o.page_bytes);
        // Large sites take minutes per run: fewer runs there.
        site_plan plan;
        plan.runs = pages >= 5000 ? std::max(1, (o.runs + 1) / 2) : o.runs;
        write_project(s, o.bin, false, false);
        sites.push_back({s, measure_site(p, copies, s, plan)});
        print_row("site, local TOCs off", s, sites.back().f);
        if (pages == 1000 || (pages == o.pages.front() && o.pages.size() == 1)) {
            write_project(s, o.bin, false, true);
            print_row("site, local TOCs on", s, build_only(p, copies, s, o.runs));
            write_project(s, o.bin, false, false);
        }
        // The same pages named by a pattern: the walk and the sort beside the
        // build of the list.
        if (pages == 1000 || pages == o.pages.back()) {
            write_project(s, o.bin, false, false, false, true);
            print_row("site, by pattern", s, build_only(p, copies, s, plan.runs));
            write_project(s, o.bin, false, false);
        }
    }
    const site one = single_page(o.work, o.single_bytes);
    write_project(one, o.bin, true, false);
    const site_figures single = build_only(p, copies, one, o.runs);
    print_row("single page", one, single);
    const site dense = dense_page(o.work);
    write_project(dense, o.bin, true, false, true);
    print_row(dense.name, dense, build_only(p, copies, dense, o.runs));
    // The rebuild tables hold the real pages beside the generated ones.
    std::vector<sized_figures> tables = sites;
    if (!o.docs.empty()) {
        const site d = docs_site(o.work, o.docs);
        write_project(d, o.bin, false, false);
        site_plan plan;
        plan.runs = o.runs;
        plan.floors = {"per-page", "syncfs", "compare"};
        tables.push_back({d, measure_site(p, copies, d, plan)});
        print_row(d.name, d, tables.back().f);
    }
    const sample big = single.first.series.medians();
    std::printf(
        "\nsingle %.1f MB page: %.1f ms wall, %.1f ms cpu (target < 40 ms); peak RSS %.1f x "
        "its size (target <= 3)\n",
        one.megabytes, big.wall * 1000, big.cpu() * 1000, big.rss_mb / one.megabytes);
    if (sites.size() > 1) print_scaling(sites);
    if (tables.empty()) return;
    std::printf(
        "\n== Builds and rebuilds (medians; changed: files with other bytes after the "
        "run, written: files with a new inode or mtime) ==\n");
    print_rebuilds_header();
    for (const sized_figures& x : tables) print_rebuilds(x.s, x.f);
    std::printf("\n== Floors (medians; phases of the batched floor in ms) ==\n");
    print_floors_header();
    for (const sized_figures& x : tables) print_floors(x.s, x.f);
    std::printf("\n== Targets ==\n");
    for (const sized_figures& x : tables) print_targets(x.s, x.f);
    if (o.scale > 0) scale_run(o, p, copies);
    std::printf("\n%d copies; %d folders passed over where creating a file was slow\n",
                copies.copies(), copies.crowded());
}

}  // namespace

int main(int argc, char** argv) {
    options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: site_bench --bin <build-folder> [--pages 100,1000,10000] "
                     "[--runs 5] [--page-bytes n] [--single-bytes n] [--docs <folder>] "
                     "[--work <folder>] [--scale <pages>]\n");
        return 2;
    }
    fs::create_directories(o.work);
    try {
        run(o);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "site_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
