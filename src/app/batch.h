// Batch mode: one build or clearing run of a saved project, worded as the
// report that goes to standard output.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/product_title.h"
#include "core/vtstring.h"

// Exit codes of the batch mode.
enum batch_exit : int { BATCH_OK = 0, BATCH_FAILED = 1, BATCH_PARAMETER_ERROR = 2 };

class progress_line;
class toc_project;

// The number of files a run of project reads, for the progress line: a
// site's pages and its destination, one page alone; 0 (not known before the
// run) when patterns name the pages.
int32_t batch_file_count(const toc_project& project);

// Loads project_file for a run: 0, or 1 with the project's error message (a
// reader's error, or "Memory error occurred"). Run as root, a project file
// that project_distrust refuses is refused unless trusted. A project that
// says relative_to = project has its paths taken from the file's folder.
int load_batch_project(toc_project& project, std::string_view project_file, bool trusted);

// Loads project_file and builds it (or clears it when clear is set), its
// progress shown on line when given. Run as root, a project file of another
// user or one that others may write is refused unless trusted. Returns the whole report, title
// first: "\r\nBuild is complete.\r\n" or "\r\nClearance is done\r\n" on success (exit_code
// BATCH_OK), else
// "\r\nError occurred: " and the project's error message exactly as the
// failing step left it (exit_code BATCH_FAILED).
// The run's pages are read and written on jobs threads (0: one for each core); a
// build uses the user's page cache when cache is set.
vtstring batch_report(std::string_view project_file, bool clear, int& exit_code,
                      progress_line* line = nullptr, bool trusted = false, int jobs = 0,
                      bool cache = false);
