// Clearing: takes generated TOCs, anchors and numbers out of a project's pages.
#pragma once

#include "toc/build_progress.h"

class toc_project;

// Clears every page of the project: 0 on success; 1 with the project's error
// message set (a multi-file run goes on after a failing page and then reports
// the first failure). progress and pages may be null.
int clear_project(toc_project& project, progress_fn progress, void* context,
                  page_fn pages = nullptr);
