// The frame every run over a project shares, whether it builds, checks or
// clears: the settings read from the project once, one state that tells the
// caller its progress and pages and heeds its stop flag, and the memory
// guard. A failed run's message goes to the project; a successful run's
// state is handed to done.
#pragma once

#include <atomic>
#include <string_view>

#include "driver/build_progress.h"
#include "driver/build_settings.h"
#include "driver/build_state.h"
#include "driver/memory_guard.h"
#include "driver/run_heap.h"
#include "project/toc_project.h"

// What the caller of a run hears of it, and how it stops it (may be null).
struct run_caller {
    progress_fn progress = nullptr;
    void* context = nullptr;
    page_fn pages = nullptr;
    const std::atomic<bool>* cancel = nullptr;
};

// Runs body(settings, state), which returns 0 or a failure code, and gives
// that code.
template <class Body, class Done>
int run_project(toc_project& project, const run_caller& caller, write_policy policy,
                std::string_view cancelled_text, Body body, Done done) {
    return run_guarded(project, [&] {
        const build_settings settings = build_settings::of(project);
        prepare_run_heap(settings.sources.size());
        build_state state(caller.progress, caller.context, caller.pages, policy);
        state.cancel = caller.cancel;
        state.cancelled_text = cancelled_text;
        const int result = body(settings, state);
        if (result != 0)
            project.error_message = std::move(state.error);
        else
            done(state);
        return result;
    });
}
