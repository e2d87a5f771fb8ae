// Runs the built vorn1 (or a copy of it) and captures what it writes.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/test_cache_home.h"

struct program_result {
    int status = -1;  // exit code, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

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
    const std::string cache_home = "XDG_CACHE_HOME=" + test_cache_home();
    int out_pipe[2], err_pipe[2];
    if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        close(out_pipe[0]);
        close(err_pipe[0]);
        int null = open("/dev/null", 0);
        dup2(null, 0);
        if (limits.file_size_limit >= 0) {
            const rlimit limit = {static_cast<rlim_t>(limits.file_size_limit),
                                  static_cast<rlim_t>(limits.file_size_limit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (limits.as_nobody && geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(126);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(127);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        putenv(const_cast<char*>(cache_home.c_str()));
        for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> argv{const_cast<char*>(limits.argv0 ? limits.argv0 : program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    program_result r;
    char buf[4096];
    ssize_t n;
    // The reports are small: read standard output first, then errors.
    while ((n = read(out_pipe[0], buf, sizeof buf)) > 0) r.out.append(buf, static_cast<size_t>(n));
    while ((n = read(err_pipe[0], buf, sizeof buf)) > 0) r.err.append(buf, static_cast<size_t>(n));
    close(out_pipe[0]);
    close(err_pipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline std::string vorn1_path() {
    return std::string(ORVANE_BUILD_DIR) + "/vorn1";
}
