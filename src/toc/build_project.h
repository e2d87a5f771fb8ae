// The build driver: turns a project into files on disk.
#pragma once

#include "toc/build_progress.h"

class toc_project;

// Results of build_project and clear_project.
enum build_result : int {
    BUILD_OK = 0,
    // Validation, the destination, the template, or the page of a
    // single-file project.
    BUILD_FAILED = 1,
    // A page of a multi-file build.
    BUILD_PAGE_FAILED = 2,
};

// A build_result; on failure the project's error message says why, and
// nothing else of the project changes. The settings are read from the
// project once, at the start. progress and pages may be null.
int build_project(toc_project& project, progress_fn progress, void* context,
                  page_fn pages = nullptr);
