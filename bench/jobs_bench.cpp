// jobs_bench: a site run on one thread against the same run on more.
//
//   jobs_bench [work-folder] [--pages N] [--runs N] [--jobs N] [--profile]
//
// On a generated site of N pages (default 1,000 of about 23 KB; titles,
// numbering and a local TOC on each page), in this process, the median wall
// time of: the first build's engine part (a check of the site never built:
// every page read, scanned, rendered and compared, nothing written), the
// first build (written and committed), the rebuild of the unchanged site and
// the check of it; each with --jobs 1 and with --jobs N (default 2), and the
// speed-up; beside each, the CPU time of the whole process (all threads),
// which shows what the threads cost besides the work. The load average is
// printed first: on a machine whose cores are busy with other work, more
// threads cannot be faster. With --profile only the engine part with
// --jobs N is run, --runs times, for a profiler to watch.
// Last, the ceiling the machine sets: the engine part with --jobs 1 in N
// processes at once, against it alone. Cores that share their caches, their
// memory's bandwidth or a host's physical core slow each other down; N
// threads cannot be faster than N times alone over together.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "driver/build_project.h"
#include "project/toc_project.h"
#include "site_generator.h"

namespace fs = std::filesystem;

namespace {

struct options {
    std::string work = "/tmp/orvane-jobs-bench";
    int pages = 1000;
    int runs = 5;
    int jobs = 2;
    bool profile = false;
};

toc_project site_project(const std::string& folder, int pages) {
    toc_project p;
    p.is_single = vtval(0);
    p.source.clear();
    for (int i = 0; i < pages; ++i) p.source.push_back(vtval(folder + "/" + site_page_name(i)));
    p.destination = vtval(folder + "/orvane-toc.html");
    p.template_file = vtval(ORVANE_BUILD_DIR "/vtdata/nested_list.html");
    p.range_from = vtval("1");
    p.range_to = vtval("3");
    p.process_numbering = vtval(1);
    p.process_title = vtval(1);
    p.insert_local_toc = vtval(1);
    return p;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// User and system time of the process so far.
double cpu_seconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(use.ru_utime) + seconds(use.ru_stime);
}

// CPU time of the calling thread so far: the run's own thread.
double thread_cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

struct timing {
    double wall = 0;
    double cpu = 0;
    double run_thread_cpu = 0;
};

enum class step { engine_part, first_build, rebuild, check };

// One timed run of step with jobs threads on a copy of the site in folder.
timing time_step(step s, const std::string& clean, const std::string& folder, int pages, int jobs) {
    // The engine part writes nothing: its copy serves every run (and a
    // profile of it shows no copying).
    if (s != step::engine_part || !fs::exists(folder)) {
        fs::remove_all(folder);
        fs::copy(clean, folder, fs::copy_options::recursive);
    }
    toc_project p = site_project(folder, pages);
    std::vector<std::string> changed;
    if (s == step::rebuild || s == step::check)
        if (build_project(p, nullptr, nullptr, nullptr, nullptr, jobs) != 0) std::exit(1);
    const double cpu = cpu_seconds();
    const double own = thread_cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    const int result = s == step::first_build || s == step::rebuild
                           ? build_project(p, nullptr, nullptr, nullptr, nullptr, jobs)
                           : check_project(p, changed, nullptr, nullptr, nullptr, jobs);
    const timing took{seconds_since(start), cpu_seconds() - cpu, thread_cpu_seconds() - own};
    if (result != 0) {
        std::fprintf(stderr, "run failed: %s\n", p.error_message.str().c_str());
        std::exit(1);
    }
    return took;
}

// The engine part with one thread in each of n processes started together
// (each on a copy of its own): the mean of their wall times.
double together(const std::string& clean, const std::string& folder, int pages, int n) {
    int go[2], back[2];
    if (pipe(go) != 0 || pipe(back) != 0) std::exit(1);
    for (int k = 1; k < n; ++k) {
        const std::string own = folder + "-" + std::to_string(k);
        time_step(step::engine_part, clean, own, pages, 1);  // the copy, and a warm start
        if (fork() == 0) {
            char c;
            if (read(go[0], &c, 1) != 1) _exit(1);
            const double wall = time_step(step::engine_part, clean, own, pages, 1).wall;
            _exit(write(back[1], &wall, sizeof wall) == sizeof wall ? 0 : 1);
        }
    }
    const std::string start(static_cast<size_t>(n - 1), 'g');
    if (write(go[1], start.data(), start.size()) != static_cast<ssize_t>(start.size()))
        std::exit(1);
    double sum = time_step(step::engine_part, clean, folder, pages, 1).wall;
    for (int k = 1; k < n; ++k) {
        double wall = 0;
        if (read(back[0], &wall, sizeof wall) != sizeof wall) std::exit(1);
        sum += wall;
    }
    while (wait(nullptr) > 0) {
    }
    for (int fd : {go[0], go[1], back[0], back[1]}) close(fd);
    return sum / n;
}

double median_of(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

options parse(int argc, char** argv) {
    options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--pages" && i + 1 < argc)
            o.pages = std::atoi(argv[++i]);
        else if (a == "--runs" && i + 1 < argc)
            o.runs = std::atoi(argv[++i]);
        else if (a == "--jobs" && i + 1 < argc)
            o.jobs = std::atoi(argv[++i]);
        else if (a == "--profile")
            o.profile = true;
        else
            o.work = a;
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const options o = parse(argc, argv);
    const std::string clean = o.work + "/clean";
    const std::string copy = o.work + "/run";
    fs::remove_all(o.work);
    fs::create_directories(clean);
    if (!generate_site(clean, o.pages, 23000, 7)) return 1;
    setenv("SOURCE_DATE_EPOCH", "1000000000", 1);
    std::ifstream load("/proc/loadavg");
    std::string load_average;
    load >> load_average;
    std::printf("%d pages of 23 KB, median of %d runs, load average %s\n", o.pages, o.runs,
                load_average.c_str());
    if (o.profile) {
        for (int r = 0; r < o.runs; ++r) {
            const timing t = time_step(step::engine_part, clean, copy, o.pages, o.jobs);
            std::printf(
                "engine part, --jobs %d: %.0f ms, CPU %.0f ms, of it the run's thread %.0f ms\n",
                o.jobs, t.wall * 1000, t.cpu * 1000, t.run_thread_cpu * 1000);
        }
        fs::remove_all(o.work);
        return 0;
    }
    std::printf("%-34s %9s %9s %8s %9s %9s\n", "", "--jobs 1", "--jobs N", "speed-up", "CPU 1",
                "CPU N");
    const struct {
        step s;
        const char* name;
    } rows[] = {{step::engine_part, "first build, engine part (check)"},
                {step::first_build, "first build, written"},
                {step::rebuild, "unchanged rebuild"},
                {step::check, "check of the unchanged site"}};
    for (const auto& row : rows) {
        std::vector<double> one, many, one_cpu, many_cpu;
        // Alternated, so that a change of load meets both alike.
        for (int r = 0; r < o.runs; ++r) {
            const timing a = time_step(row.s, clean, copy, o.pages, 1);
            const timing b = time_step(row.s, clean, copy, o.pages, o.jobs);
            one.push_back(a.wall);
            many.push_back(b.wall);
            one_cpu.push_back(a.cpu);
            many_cpu.push_back(b.cpu);
        }
        const double a = median_of(one), b = median_of(many);
        std::printf("%-34s %6.0f ms %6.0f ms %7.2fx %6.0f ms %6.0f ms\n", row.name, a * 1000,
                    b * 1000, a / b, median_of(one_cpu) * 1000, median_of(many_cpu) * 1000);
    }
    // Copies of their own: the rows above leave theirs built.
    const std::string apart = o.work + "/apart";
    std::vector<double> alone, side_by_side;
    for (int r = 0; r < o.runs; ++r) {
        alone.push_back(time_step(step::engine_part, clean, apart, o.pages, 1).wall);
        side_by_side.push_back(together(clean, apart, o.pages, o.jobs));
    }
    const double a = median_of(alone), t = median_of(side_by_side);
    std::printf(
        "%-34s %6.0f ms %6.0f ms %7.2fx  (the machine's ceiling: --jobs 1 in N processes)\n",
        "engine part, N processes at once", a * 1000, t * 1000, o.jobs * a / t);
    std::printf("(N = %d)\n", o.jobs);
    fs::remove_all(o.work);
    return 0;
}
