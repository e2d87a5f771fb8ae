// Allocation failure as a report: a build, a clearing run or a project load
// that runs out of memory fails with "Memory error occurred" instead of
// ending the program.
#pragma once

#include <new>

#include "core/memory_error_text.h"
#include "project/toc_project.h"

// Runs step (returning 0 or a failure code) and gives its result; 1 with the
// project's error message "Memory error occurred" when an allocation failed.
// By then the step's objects are gone, their temporary files removed with
// them, so the target files are untouched and the message has room.
template <class Step>
int run_guarded(toc_project& project, Step step) {
    try {
        return step();
    } catch (const std::bad_alloc&) {
        project.error_message = memory_error_text;
        return 1;
    }
}
