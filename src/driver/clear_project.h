// Clearing: takes generated TOCs, anchors and numbers out of a project's pages.
#pragma once

#include <atomic>

#include "driver/build_progress.h"

class toc_project;

// Clears every page of the project: 0 on success; 1 with the project's error
// message naming the first failure, and then no file changed (all pages are
// staged and committed together, as by build_project). progress and pages
// may be null; cancel and jobs as for build_project ("Clearing cancelled.").
int clear_project(toc_project& project, progress_fn progress, void* context,
                  page_fn pages = nullptr, const std::atomic<bool>* cancel = nullptr, int jobs = 0);
