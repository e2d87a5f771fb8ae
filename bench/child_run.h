// Timed runs of benchmark programs as child processes.
#pragma once

#include <string>
#include <vector>

// One run: wall clock, CPU and peak RSS of the child (from wait4), and the
// one-minute load average of the machine when it started.
struct sample {
    double wall = 0, user = 0, sys = 0, rss_mb = 0, load = 0;
    bool ok = false;

    double cpu() const { return user + sys; }
};

// Runs argv (argv[0] a path) in folder with stdout to log; ok when it exits 0.
sample run_child(const std::string& folder, const std::vector<std::string>& argv,
                 const std::string& log);

// The middle value (the mean of the two middle ones for an even count); 0
// for none.
double median(std::vector<double> values);

// The runs of one case, reduced to medians; peak RSS is the largest of the
// runs and ok holds when every run succeeded.
class sample_series {
  public:
    void add(const sample& s) { runs_.push_back(s); }
    sample medians() const;
    int size() const { return static_cast<int>(runs_.size()); }

  private:
    std::vector<sample> runs_;
};
