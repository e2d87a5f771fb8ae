// Clearing: takes generated TOCs, anchors and numbers out of a project's pages.
#pragma once

#include <string_view>

#include "toc/build_progress.h"

class toc_project;

// Clears one page into output_path (which may be the page itself).
// 0 on success; 1 with the project's error message set.
int clear_file(std::string_view source_path, std::string_view output_path, toc_project& project,
               progress_fn progress, void* context);

// Clears every page of the project. 0 on success; 1 with the project's error
// message set (a multi-file run goes on after a failing page and then reports
// the first failure).
int clear_project(toc_project& project, progress_fn progress, void* context);
