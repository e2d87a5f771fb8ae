#include "site_runs.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

// Saves the middle page in place with a word more in its first heading, as
// an editor would.
void edit_middle_page(const std::string& copy, const site& s) {
    const std::string path = copy + "/" + s.pages[s.pages.size() / 2];
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    size_t at = bytes.find("</h1>");
    const char* edit = " edited";
    if (at == std::string::npos) {
        at = std::min(bytes.find("</body>"), bytes.size());
        edit = "<h1>edited</h1>";
    }
    bytes.insert(at, edit);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    sync();
}

// The calls of the total line of an `strace -c` summary; -1 when none.
double total_calls(const std::string& summary) {
    std::ifstream in(summary);
    for (std::string line; std::getline(in, line);) {
        if (!line.ends_with(" total")) continue;
        double percent = 0, seconds = 0, per_call = 0, calls = 0;
        if (std::sscanf(line.c_str(), "%lf %lf %lf %lf", &percent, &seconds, &per_call, &calls) ==
            4)
            return calls;
    }
    return -1;
}

// The runs of one copy. With counted, untimed: each under strace, for its
// system calls a page.
void build_runs(const bench_programs& p, const std::string& copy, const site& s, bool rebuilds,
                site_figures& f, bool counted = false) {
    const auto step = [&](build_figures& b, std::vector<std::string> args) {
        const site_snapshot before(copy);
        std::vector<std::string> argv{p.vorn1};
        const std::string summary = p.logs + "/calls.txt";
        if (counted) argv = {p.strace, "-f", "-c", "-o", summary, p.vorn1};
        argv.insert(argv.end(), args.begin(), args.end());
        argv.push_back("project.txt");
        const sample run = run_child(copy, argv, p.logs + "/report.txt");
        if (counted) {
            const double calls = total_calls(summary);
            if (run.ok && calls >= 0 && !s.pages.empty())
                b.calls_per_page = calls / static_cast<double>(s.pages.size());
            return;
        }
        b.series.add(run);
        b.changes = site_snapshot(copy).since(before);
        sync();  // what the run left for write-back is not the next run's cost
    };
    step(f.first, {"-command"});
    if (!rebuilds) return;
    // Without the page cache first; then the run that fills it (the first
    // build changed every page, so it kept none), and the runs that use it.
    step(f.unchanged_plain, {"--no-cache", "-command"});
    step(f.check_plain, {"--no-cache", "-check"});
    step(f.filling, {"-command"});
    step(f.unchanged, {"-command"});
    step(f.check, {"-check"});
    edit_middle_page(copy, s);
    step(f.edited, {"-command"});
    step(f.clearing, {"-clear"});
}

void floor_run(const bench_programs& p, run_copies& copies, const site& s, floor_figures& fl) {
    const std::string log = p.logs + "/floor.txt";
    if (fl.mode == "per-page") {
        fl.series.add(run_child(copies.make(s), {p.durable_floor, "pages.txt"}, log));
        return;
    }
    // Reading and comparing changes nothing: no copy needed.
    const std::string folder = fl.mode == "compare" ? s.folder : copies.make(s);
    fl.series.add(run_child(folder, {p.batched_floor, "pages.txt", fl.mode}, log));
    double stage = 0, barrier = 0, rename = 0, folders = 0;
    char line[256] = "";
    std::FILE* in = std::fopen(log.c_str(), "r");
    if (in && !std::fgets(line, sizeof line, in)) line[0] = '\0';
    if (in) std::fclose(in);
    if (std::sscanf(line, "stage %lf barrier %lf rename %lf folders %lf", &stage, &barrier, &rename,
                    &folders) == 4 ||
        std::sscanf(line, "compare %lf", &stage) == 1) {
        fl.stage.push_back(stage);
        fl.barrier.push_back(barrier);
        fl.rename.push_back(rename);
        fl.folders.push_back(folders);
    }
}

double ratio(double a, double b) {
    return b > 0 ? a / b : 0;
}

}  // namespace

std::string floor_figures::label() const {
    if (mode == "per-page") return "per-page durable";
    if (mode == "fdatasync") return "batched, fdatasync each";
    if (mode == "range") return "batched, range + fdatasync";
    if (mode == "syncfs") return "batched, one syncfs";
    if (mode == "none") return "batched, no barrier (unsafe)";
    if (mode == "compare") return "read and compare";
    return mode;
}

const floor_figures* site_figures::floor(const std::string& mode) const {
    for (const floor_figures& f : floors)
        if (f.mode == mode) return &f;
    return nullptr;
}

const floor_figures* site_figures::fastest_batched() const {
    const floor_figures* best = nullptr;
    for (const char* mode : {"fdatasync", "range", "syncfs"}) {
        const floor_figures* f = floor(mode);
        if (f && (!best || f->series.medians().wall < best->series.medians().wall)) best = f;
    }
    return best;
}

site_figures measure_site(const bench_programs& p, run_copies& copies, const site& s,
                          const site_plan& plan) {
    site_figures f;
    for (const std::string& mode : plan.floors) f.floors.push_back({mode, {}, {}, {}, {}, {}});
    for (int i = 0; i < plan.runs; ++i) {
        build_runs(p, copies.make(s), s, plan.rebuilds, f);
        for (floor_figures& fl : f.floors) floor_run(p, copies, s, fl);
    }
    if (!p.strace.empty()) build_runs(p, copies.make(s), s, plan.rebuilds, f, true);
    return f;
}

void print_rebuilds_header() {
    std::printf("%6s %-26s %4s %8s %7s %7s %7s %8s %8s %8s %5s %9s\n", "pages", "run", "runs",
                "wall s", "user s", "sys s", "RSS MB", "changed", "written", "x floor", "load",
                "calls/pg");
}

void print_rebuilds(const site& s, const site_figures& f) {
    const std::pair<const char*, const build_figures*> rows[] = {
        {"first build", &f.first},
        {"unchanged rebuild, no cache", &f.unchanged_plain},
        {"-check, no cache", &f.check_plain},
        {"rebuild filling the cache", &f.filling},
        {"unchanged rebuild", &f.unchanged},
        {"-check", &f.check},
        {"one page edited", &f.edited},
        {"clearing run", &f.clearing}};
    // Wall time over the read-and-compare floor.
    const floor_figures* compare = f.floor("compare");
    const double floor = compare ? compare->series.medians().wall : 0;
    for (const auto& [name, b] : rows) {
        if (b->series.size() == 0) continue;
        const sample m = b->series.medians();
        std::printf("%6zu %-27s %4d %8.3f %7.3f %7.3f %7.1f %8d %8d %8.1f %5.1f", s.pages.size(),
                    name, b->series.size(), m.wall, m.user, m.sys, m.rss_mb, b->changes.changed,
                    b->changes.written, ratio(m.wall, floor), m.load);
        if (b->calls_per_page >= 0)
            std::printf(" %9.1f", b->calls_per_page);
        else
            std::printf(" %9s", "-");
        std::printf("%s\n", m.ok ? "" : "  FAILED");
    }
}

void print_floors_header() {
    std::printf("%6s %-30s %4s %8s %7s %9s %10s %9s %10s %5s\n", "pages", "floor", "runs", "wall s",
                "cpu s", "stage ms", "barrier ms", "rename ms", "folders ms", "load");
}

void print_floors(const site& s, const site_figures& f) {
    for (const floor_figures& fl : f.floors) {
        const sample m = fl.series.medians();
        std::printf("%6zu %-30s %4d %8.3f %7.3f", s.pages.size(), fl.label().c_str(),
                    fl.series.size(), m.wall, m.cpu());
        if (fl.stage.empty())
            std::printf(" %9s %10s %9s %10s", "", "", "", "");
        else
            std::printf(" %9.1f %10.1f %9.1f %10.1f", median(fl.stage), median(fl.barrier),
                        median(fl.rename), median(fl.folders));
        std::printf(" %5.1f%s\n", m.load, m.ok ? "" : "  FAILED");
    }
}

void print_targets(const site& s, const site_figures& f) {
    const sample first = f.first.series.medians();
    std::printf("%6zu pages:", s.pages.size());
    if (const floor_figures* per_page = f.floor("per-page"))
        std::printf(" first build / per-page floor %.2f (target <= 0.6);",
                    ratio(first.wall, per_page->series.medians().wall));
    if (const floor_figures* batched = f.fastest_batched())
        std::printf(" first build / batched floor %.2f (<= 1.1; %s);",
                    ratio(first.wall, batched->series.medians().wall), batched->label().c_str());
    if (f.unchanged.series.size()) {
        const sample same = f.unchanged.series.medians();
        std::printf(" unchanged rebuild / first build %.2f wall, %.2f cpu (<= 0.15)",
                    ratio(same.wall, first.wall), ratio(same.cpu(), first.cpu()));
        if (const floor_figures* compare = f.floor("compare")) {
            const double floor = compare->series.medians().wall;
            std::printf(
                "; over the read-and-compare floor: unchanged rebuild %.1f, -check %.1f (<= 3), "
                "without the cache %.1f and %.1f",
                ratio(same.wall, floor), ratio(f.check.series.medians().wall, floor),
                ratio(f.unchanged_plain.series.medians().wall, floor),
                ratio(f.check_plain.series.medians().wall, floor));
        }
    }
    if (f.first.calls_per_page >= 0 && f.unchanged.calls_per_page >= 0)
        std::printf("; system calls a page: first build %.1f (<= 8), unchanged rebuild %.1f (<= 5)",
                    f.first.calls_per_page, f.unchanged.calls_per_page);
    std::printf("\n");
}
