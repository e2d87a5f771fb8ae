// Runs the built vorn1 (or a copy of it) and captures what it writes.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "support/test_cache_home.h"

struct program_result {
    int status = -1;  // exit code, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

// How a child process is started, beyond its program and arguments.
struct child_options {
    std::string cwd;               // none: the current folder
    std::vector<std::string> env;  // "NAME=value" entries, set last
    // A batch run: no display, and the test's own cache folder.
    bool batch = true;
    bool merge_output = false;           // standard error into standard output
    const char* argv0 = nullptr;         // the name the child is started by (default: program)
    std::vector<std::string> run_under;  // a program and arguments that run it (a tracer)
    long file_size_limit = -1;           // RLIMIT_FSIZE
    long memory_limit = -1;              // RLIMIT_AS
    long open_files = -1;                // RLIMIT_NOFILE's soft limit
    long open_files_hard = -1;           // and its hard one (default: the soft one)
    bool as_nobody = false;              // a root child runs as uid/gid 65534
    std::vector<gid_t> groups;           // with these supplementary groups
    bool yield = false;                  // at the lowest priority, so a watcher sees it work
    // Called with the child's id while it runs, before it is waited for.
    std::function<void(pid_t)> meanwhile;
    long kill_after_us = -1;  // SIGKILL after this many microseconds
    std::string kill_once;    // SIGKILL as soon as this file exists (relative to cwd)
};

namespace child_detail {

inline void set_limit(int resource, long soft, long hard) {
    if (soft < 0) return;
    const rlimit limit = {static_cast<rlim_t>(soft), static_cast<rlim_t>(hard < 0 ? soft : hard)};
    setrlimit(resource, &limit);
}

// In the child, after fork: everything but the exec.
inline void prepare(const child_options& o, int out, int err, const std::string& cache_home) {
    dup2(out, 1);
    dup2(o.merge_output ? out : err, 2);
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, 0);
    set_limit(RLIMIT_FSIZE, o.file_size_limit, -1);
    set_limit(RLIMIT_AS, o.memory_limit, -1);
    set_limit(RLIMIT_NOFILE, o.open_files, o.open_files_hard);
    if (o.batch) {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        setenv("XDG_CACHE_HOME", cache_home.c_str(), 1);
    }
    for (const std::string& e : o.env) putenv(const_cast<char*>(e.c_str()));
    if (o.as_nobody && geteuid() == 0 &&
        (setgroups(o.groups.size(), o.groups.data()) != 0 || setgid(65534) != 0 ||
         setuid(65534) != 0))
        _exit(126);
    if (!o.cwd.empty() && chdir(o.cwd.c_str()) != 0) _exit(125);
    if (o.yield && nice(19) == -1) _exit(124);
}

// Waits for the child, killing it when the options say so.
inline int wait_for(pid_t pid, const child_options& o) {
    int status = 0;
    if (o.meanwhile) o.meanwhile(pid);
    if (o.kill_after_us < 0 && o.kill_once.empty()) {
        waitpid(pid, &status, 0);
        return status;
    }
    // Polled, so that a child that ends early is not waited for.
    const std::string watched = o.cwd.empty() || o.kill_once.empty() || o.kill_once[0] == '/'
                                    ? o.kill_once
                                    : o.cwd + "/" + o.kill_once;
    for (long waited = 0; waitpid(pid, &status, WNOHANG) == 0; waited += 200) {
        struct stat st;
        if (watched.empty() ? waited >= o.kill_after_us : lstat(watched.c_str(), &st) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        usleep(200);
    }
    return status;
}

inline std::string take_file(int fd, const char* name) {
    std::string bytes;
    char chunk[65536];
    ssize_t n;
    lseek(fd, 0, SEEK_SET);
    while ((n = read(fd, chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<size_t>(n));
    close(fd);
    unlink(name);
    return bytes;
}

}  // namespace child_detail

// Runs program with args as options say. What it writes goes to files, so
// that a big report never blocks it on a full pipe.
inline program_result run_child(const std::string& program, const std::vector<std::string>& args,
                                const child_options& options = {}) {
    char out_name[] = "/tmp/orvane-out-XXXXXX";
    char err_name[] = "/tmp/orvane-err-XXXXXX";
    const int out = mkstemp(out_name);
    const int err = mkstemp(err_name);
    const std::string cache_home = test_cache_home();
    std::vector<char*> argv;
    for (const std::string& a : options.run_under) argv.push_back(const_cast<char*>(a.c_str()));
    const bool renamed = options.argv0 && options.run_under.empty();
    argv.push_back(const_cast<char*>(renamed ? options.argv0 : program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        child_detail::prepare(options, out, err, cache_home);
        execv(options.run_under.empty() ? program.c_str() : argv[0], argv.data());
        _exit(127);
    }
    const int status = child_detail::wait_for(pid, options);
    program_result r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = child_detail::take_file(out, out_name);
    r.err = child_detail::take_file(err, err_name);
    return r;
}

struct run_limits {
    long file_size_limit = -1;    // RLIMIT_FSIZE for the child
    bool as_nobody = false;       // a root child runs as uid/gid 65534
    const char* argv0 = nullptr;  // the name the child is started by (default: program)
};

// Runs program with args in folder cwd (none: the current one), with extra
// environment entries ("NAME=value"), no standard input and no display, and
// the test's own cache folder unless env names one.
inline program_result run_program(const std::string& program, const std::vector<std::string>& args,
                                  const std::string& cwd, const std::vector<std::string>& env = {},
                                  const run_limits& limits = {}) {
    child_options options;
    options.cwd = cwd;
    options.env = env;
    options.file_size_limit = limits.file_size_limit;
    options.as_nobody = limits.as_nobody;
    options.argv0 = limits.argv0;
    return run_child(program, args, options);
}

inline std::string vorn1_path() {
    return std::string(ORVANE_BUILD_DIR) + "/vorn1";
}
