#include "app/program_entry.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "app/batch.h"
#include "app/check_report.h"
#include "app/help_text.h"
#include "app/links_report.h"
#include "app/progress_line.h"
#include "core/vtarr.h"
#include "files/lock_wait.h"
#include "files/temp_registry.h"
#include "files/vtfile.h"

namespace {

vtstring program_name(std::string_view program_path) {
    size_t slash = program_path.find_last_of('/');
    vtstring name(slash == std::string_view::npos ? program_path : program_path.substr(slash + 1));
    name.to_lower();
    return name;
}

bool same_ascii_nocase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (vt_lower(a[i]) != vt_lower(b[i])) return false;
    return true;
}

bool is_trust_switch(std::string_view argument) {
    return same_ascii_nocase(argument, "--trust-project");
}

// The name of an existing file that is not a folder, as the file layer spells
// it; empty when there is none.
vtstring existing_file(std::string_view name) {
    vtfile_node node;
    if (!vtfile_info(name, node) || node.is_directory) return {};
    vtstring path = node.path;
    if (path.length() > 1 && path[path.length() - 1] == '/') path.set_length(path.length() - 1);
    return path;
}

// The mode of a first argument that is not a batch switch: help, version, a
// parameter error for any other switch (rather than a window that nobody
// asked for), else the window with that argument as its preset.
entry_mode first_argument_mode(std::string_view first) {
    if (same_ascii_nocase(first, "-h") || same_ascii_nocase(first, "--help"))
        return entry_mode::help;
    if (same_ascii_nocase(first, "--version")) return entry_mode::version;
    if (first.starts_with('-')) return entry_mode::parameter_error;
    return entry_mode::window;
}

// The number of threads text names: 1 to kMaxJobs in decimal digits; 0 for
// anything else.
int jobs_value(std::string_view text) {
    if (text.empty() || text.size() > 3) return 0;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n <= kMaxJobs ? n : 0;
}

// Takes "--jobs N" and "--no-cache" out of arguments into plan; false when
// N is missing or no number of threads.
bool take_run_switches(const vtarr& arguments, vtarr& rest, entry_plan& plan) {
    for (int32_t i = 0; i < arguments.count(); ++i) {
        if (same_ascii_nocase(arguments[i].text(), "--no-cache")) {
            plan.no_cache = true;
            continue;
        }
        if (!same_ascii_nocase(arguments[i].text(), "--jobs")) {
            rest.push_back(arguments[i]);
            continue;
        }
        plan.jobs = i + 1 < arguments.count() ? jobs_value(arguments[i + 1].text()) : 0;
        if (plan.jobs == 0) return false;
        ++i;
    }
    return true;
}

}  // namespace

entry_plan plan_entry(std::string_view program_path, const vtarr& all_arguments) {
    entry_plan plan;
    vtstring name = program_name(program_path);
    if (name == "setup") {
        plan.mode = entry_mode::installer;
        return plan;
    }
    if (name != "vorn1") return plan;
    plan.mode = entry_mode::window;
    vtarr arguments;
    if (!take_run_switches(all_arguments, arguments, plan)) {
        plan.mode = entry_mode::parameter_error;
        plan.bad_jobs = true;
        return plan;
    }
    if (arguments.empty()) return plan;
    const int32_t at = is_trust_switch(arguments[0].text()) ? 1 : 0;
    plan.trust_project = at == 1;
    if (at == arguments.count()) {
        plan.mode = entry_mode::parameter_error;
        return plan;
    }
    std::string_view first = arguments[at].text();
    bool build = same_ascii_nocase(first, "-command");
    bool clear = same_ascii_nocase(first, "-clear");
    bool check = same_ascii_nocase(first, "-check") || same_ascii_nocase(first, "--check");
    bool links = same_ascii_nocase(first, "-links") || same_ascii_nocase(first, "--links");
    if (!build && !clear && !check && !links) {
        // Trust is for batch runs only: the window is no place to ask for it.
        plan.mode = plan.trust_project ? entry_mode::parameter_error : first_argument_mode(first);
        // Further arguments are ignored; a path keeps its case.
        if (plan.mode == entry_mode::window) plan.file = existing_file(first);
        return plan;
    }
    // Without a name the switch itself stands as the name, and names no file
    // unless one of that name exists. After the name only the trust switch
    // counts.
    std::string_view project = arguments.count() > at + 1 ? arguments[at + 1].text() : first;
    for (int32_t i = at + 2; i < arguments.count(); ++i)
        plan.trust_project = plan.trust_project || is_trust_switch(arguments[i].text());
    plan.file = existing_file(project);
    if (plan.file.empty())
        plan.mode = entry_mode::parameter_error;
    else
        plan.mode = build   ? entry_mode::batch_build
                    : clear ? entry_mode::batch_clear
                    : check ? entry_mode::batch_check
                            : entry_mode::batch_links;
    return plan;
}

void write_report(std::string_view report) {
    // One write: a reader of a pipe sees the report whole or not at all.
    ssize_t written = ::write(STDOUT_FILENO, report.data(), report.size());
    (void)written;
}

entry_plan plan_process(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    vtarr arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(vtval(std::string_view(argv[i])));
    const bool named = argc > 0 && argv[0] != nullptr && argv[0][0] != '\0';
    return plan_entry(named ? std::string_view(argv[0]) : vtfile_exe_path().view(), arguments);
}

void tell_restored(std::string_view path, bool done) {
    std::fprintf(stderr, "%s from its backup after an interrupted write: %.*s\n",
                 done ? "Restored" : "Would be restored", static_cast<int>(path.size()),
                 path.data());
}

int run_batch(const entry_plan& plan) {
    if (plan.mode == entry_mode::unknown_name) {
        // Not silent: a script must not take this for a successful build.
        const ssize_t written =
            ::write(STDERR_FILENO, kUnknownNameText.data(), kUnknownNameText.size());
        (void)written;
        return BATCH_PARAMETER_ERROR;
    }
    if (plan.mode == entry_mode::help || plan.mode == entry_mode::version) {
        write_report(plan.mode == entry_mode::help ? kHelpText : kVersionText);
        return BATCH_OK;
    }
    if (plan.mode != entry_mode::batch_build && plan.mode != entry_mode::batch_clear &&
        plan.mode != entry_mode::batch_check && plan.mode != entry_mode::batch_links) {
        vtstring report(kProductTitle);
        report += plan.bad_jobs ? kBadJobsError : kParameterError;
        write_report(report.view());
        return BATCH_PARAMETER_ERROR;
    }
    int exit_code = BATCH_FAILED;
    vtfile_set_restore_teller(tell_restored);
    if (plan.mode == entry_mode::batch_links) {
        // Reads only: nothing to undo when a signal ends it.
        write_report(links_report(plan.file.view(), exit_code, plan.trust_project).view());
        return exit_code;
    }
    temp_registry_handle_signals();
    vtfile_set_wait_teller(tell_waiting_for);
    const bool clear = plan.mode == entry_mode::batch_clear;
    const bool check = plan.mode == entry_mode::batch_check;
    const auto line = progress_line::for_terminal(check   ? "Checking"
                                                  : clear ? "Clearing"
                                                          : "Building");
    vtstring report = check ? check_report(plan.file.view(), exit_code, line.get(),
                                           plan.trust_project, plan.jobs, !plan.no_cache)
                            : batch_report(plan.file.view(), clear, exit_code, line.get(),
                                           plan.trust_project, plan.jobs, !plan.no_cache);
    write_report(report.view());
    return exit_code;
}
