// Start-up: the mode follows the program's own name and its arguments.
#pragma once

#include <string_view>

#include "core/vtstring.h"
#include "driver/page_workers.h"

class vtarr;

enum class entry_mode {
    unknown_name,     // any other program name: one line on standard error, exit 2
    installer,        // named "setup"
    window,           // the main window, file possibly preset
    batch_build,      // "-command" with an existing project file
    batch_clear,      // "-clear" with an existing project file
    batch_check,      // "-check" or "--check" with an existing project file
    batch_links,      // "-links" or "--links" with an existing project file
    parameter_error,  // a batch switch without an existing project file, or an unknown switch
    help,             // "-h" or "--help": the usage text
    version,          // "--version"
};

struct entry_plan {
    entry_mode mode = entry_mode::unknown_name;
    // The project file of a batch run, or the HTML file preset in the window
    // (empty: nothing preset).
    vtstring file;
    // "--trust-project" before the batch switch or after the project file: a
    // run as root takes a project file of another user, or one that others
    // may write.
    bool trust_project = false;
    // "--jobs N" anywhere: the threads of a build, clearing run or check
    // (0: one for each core). A value that is no number from 1 to
    // kMaxJobs makes the plan a parameter error with bad_jobs set.
    int jobs = 0;
    bool bad_jobs = false;
    // "--no-cache" anywhere: the run neither reads nor writes the page cache.
    bool no_cache = false;
};

inline constexpr int kMaxJobs = page_workers::max_threads;

// The report of a batch switch without a usable project file, after the
// product title.
inline constexpr std::string_view kParameterError =
    "\r\nParameter error.\r\nCommand line syntax is:\r\nvorn1 -command project_filename";

// The report of a "--jobs" without a usable number, after the product title.
inline constexpr std::string_view kBadJobsError =
    "\r\nParameter error: --jobs takes a number of threads from 1 to 256.";

// Decides what to run. program_path is the executable's path (its base name,
// ASCII lower-cased, chooses the program: "vorn1" or "setup"); arguments are
// the command-line arguments after the program's own name.
entry_plan plan_entry(std::string_view program_path, const vtarr& arguments);

// The plan of this process: from the name it was started by (argv[0], so
// that a symbolic link named "setup" is the installer; the executable's own
// path when argv[0] is missing or empty) and its arguments. Also makes writes
// beyond the file size limit and into closed pipes fail instead of killing
// the process, so that such failures are reported like any other.
entry_plan plan_process(int argc, char** argv);

// Writes the whole report to standard output with one write; dropped when
// there is no standard output.
void write_report(std::string_view report);

// What a program started under any other name writes to standard error.
inline constexpr std::string_view kUnknownNameText =
    "Unknown program name: this program runs as vorn1, or as setup (the installer)\n";

// Runs a plan that needs no display (build, clear, check, link check,
// parameter error, help, version or an unknown program name): writes the
// report or text and returns the exit code (0 done, 1 failed, 2 parameter
// error or unknown name; a check: 0 up to date, 1 out of date, 2 parameter
// error or failed build; a link check: 0 fine, 1 a problem found, 2
// parameter error or a page that cannot be read). A build or clearing run
// interrupted by SIGTERM, SIGINT or SIGHUP removes its staged files and
// exits with 128 + the signal's number.
int run_batch(const entry_plan& plan);

// Tells on standard error of a file restored from its backup after an
// interrupted write (or, in a check, not done, of one that would be).
void tell_restored(std::string_view path, bool done);
