// The runs of one site: the build and its rebuilds with what each did to the
// files, and the floors the build is held against, interleaved run by run so
// that drift of the disk or the machine's load hits all of them alike.
#pragma once

#include <string>
#include <vector>

#include "bench_site.h"
#include "child_run.h"
#include "site_snapshot.h"

struct bench_programs {
    std::string vorn1, durable_floor, batched_floor;
    std::string logs;    // folder of the children's output
    std::string strace;  // its path; empty: no system calls are counted
};

// One kind of build run, and what its last run did to the files.
struct build_figures {
    sample_series series;
    file_changes changes;
    double calls_per_page = -1;  // system calls, counted in a run of its own (-1: none)
};

// A floor program: "per-page" (durable_floor), or a mode of batched_floor
// with the milliseconds of its phases in each run.
struct floor_figures {
    std::string mode;
    sample_series series;
    std::vector<double> stage, barrier, rename, folders;

    std::string label() const;
};

struct site_plan {
    int runs = 5;
    bool rebuilds = true;  // also the rebuilds, checks and the clearing run
    std::vector<std::string> floors{"per-page", "fdatasync", "range", "syncfs", "none", "compare"};
};

struct site_figures {
    // The rebuilds and checks of an unchanged site with --no-cache (plain),
    // and with the page cache once a run filled it.
    build_figures first, unchanged_plain, check_plain, filling, unchanged, check, edited, clearing;
    std::vector<floor_figures> floors;

    // The floor of that mode; nullptr when it was not run.
    const floor_figures* floor(const std::string& mode) const;
    // The fastest batched floor that makes the pages durable.
    const floor_figures* fastest_batched() const;
};

// Runs the plan on fresh copies of s (the read-only floor on s itself).
site_figures measure_site(const bench_programs& p, run_copies& copies, const site& s,
                          const site_plan& plan);

// The table of builds and rebuilds, the table of floors and the targets line.
void print_rebuilds_header();
void print_rebuilds(const site& s, const site_figures& f);
void print_floors_header();
void print_floors(const site& s, const site_figures& f);
void print_targets(const site& s, const site_figures& f);
