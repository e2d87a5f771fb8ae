#include "child_run.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

double load_now() {
    double load = 0;
    return getloadavg(&load, 1) == 1 ? load : -1;
}

}  // namespace

sample run_child(const std::string& folder, const std::vector<std::string>& argv,
                 const std::string& log) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    sample s;
    s.load = load_now();
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

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

sample sample_series::medians() const {
    const auto of = [this](double sample::*field) {
        std::vector<double> v;
        for (const sample& s : runs_) v.push_back(s.*field);
        return median(v);
    };
    sample m;
    m.wall = of(&sample::wall);
    m.user = of(&sample::user);
    m.sys = of(&sample::sys);
    m.load = of(&sample::load);
    m.ok = !runs_.empty();
    for (const sample& s : runs_) {
        m.rss_mb = std::max(m.rss_mb, s.rss_mb);
        m.ok = m.ok && s.ok;
    }
    return m;
}
