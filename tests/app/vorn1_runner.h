// Runs the built program as a user would, capturing what it writes.
#pragma once

#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace vorn1_runner {

inline const std::string kVorn1 = ORVANE_BUILD_DIR "/vorn1";

struct run_result {
    int exit_code = -1;
    std::string out;
    std::string err;
};

inline std::string drain(int fd) {
    std::string all;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) all.append(buf, static_cast<size_t>(n));
    close(fd);
    return all;
}

// Runs program with args; with a limit, the child may write files of at most
// that many bytes; with drop_privileges a root child runs as "nobody".
inline run_result run(const std::string& program, std::vector<std::string> args,
                      long file_size_limit = -1, bool drop_privileges = false) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        if (file_size_limit >= 0) {
            struct rlimit limit = {static_cast<rlim_t>(file_size_limit),
                                   static_cast<rlim_t>(file_size_limit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (drop_privileges && geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(126);
        }
        close(out[0]);
        close(err[0]);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    run_result r;
    r.err = drain(err[0]);  // small outputs: a pipe holds them whole
    r.out = drain(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace vorn1_runner
