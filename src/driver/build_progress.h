// Progress reporting of builds and clearing runs.
#pragma once

#include <cstdint>
#include <string_view>

// Called with a percentage from 0 to 100 and the caller's context, on the
// caller's thread. Optional wherever it is taken.
using progress_fn = void (*)(int percent, void* context);
// Called with the path of each page as a run begins to read it, and the
// context of the progress callback; once more with an empty path when the
// run begins to put its files in place (its last phase). Optional wherever
// it is taken.
using page_fn = void (*)(std::string_view path, void* context);

// The scale through which a nested step reports: its 0..100 maps onto its
// share (current / total * weight) of the whole, on top of base. The base
// keeps the fractions of the steps done, so a thousand small files move the
// whole as far as one file of their size; the percentage reported is the
// whole part of the exact figure, so it never runs ahead of the work.
struct build_progress {
    double total = 1.0;
    double current = 1.0;
    double weight = 1.0;
    double base = 0;
    void* context = nullptr;
    progress_fn callback = nullptr;

    void report(int percent) const {
        if (callback && total != 0)
            // The tiny addend keeps 40.999999... (sums of shares) at 41.
            callback(static_cast<int>(base + current / total * percent * weight + 1e-9), context);
    }
    void phase_done() {
        if (total != 0) base += current / total * 100 * weight;
    }
    // A progress_fn that reports through a build_progress given as context.
    static void forward(int percent, void* self) {
        static_cast<build_progress*>(self)->report(percent);
    }
};
