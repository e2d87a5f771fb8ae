// The build driver: turns a project into files on disk.
#pragma once

#include "toc/build_progress.h"

class toc_project;

// 0 on success; 1 when validation, the destination or the rendering fails;
// 2 when a source of a multi-file project fails. On failure the project's
// error message says why. progress may be null.
int build_project(toc_project& project, progress_fn progress, void* context);
