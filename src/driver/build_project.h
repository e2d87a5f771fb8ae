// The build driver: turns a project into files on disk.
#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "driver/build_progress.h"

class toc_project;

// Results of build_project and clear_project.
enum build_result : int {
    BUILD_OK = 0,
    // Validation, the destination, the template, the page of a single-file
    // project, or putting the pages in place.
    BUILD_FAILED = 1,
    // A page of a multi-file build.
    BUILD_PAGE_FAILED = 2,
};

// A build_result; on failure the project's error message says why, and
// nothing else of the project changes. The settings are read from the
// project once, at the start. progress and pages may be null.
// Every page the build changes is staged and committed at its end together
// with the others; a failed build changes no file, and a page whose bytes
// stay the same is not written. cancel, when given, may be set from another
// thread: the build then stops before its next page (or its commit) and
// fails with "Build cancelled.", changing no file.
// The pages of a site are read and written on jobs threads (0: one for each
// core the process may use); whatever their number, the run's files,
// progress, notices and messages are those of a run on one thread.
// With cache_for, the project file the project was loaded from, the pages
// of a site that stay as they are are kept in the user's page cache, and
// those the cache knows are not parsed again (page_cache.h); the run's
// result is the same.
int build_project(toc_project& project, progress_fn progress, void* context,
                  page_fn pages = nullptr, const std::atomic<bool>* cancel = nullptr, int jobs = 0,
                  std::string_view cache_for = {});

// Runs the whole build without writing anything (no temporary file either)
// and appends to changed the files that build_project would change, as the
// project names them, in order. A build_result, as build_project's;
// progress, pages, jobs and cache_for as there (the cache file is the one
// file a check may write).
int check_project(toc_project& project, std::vector<std::string>& changed,
                  progress_fn progress = nullptr, void* context = nullptr, page_fn pages = nullptr,
                  int jobs = 0, std::string_view cache_for = {});
