// The check mode: would a build change any file of a saved project?
#pragma once

#include <string_view>

#include "core/vtstring.h"

class progress_line;

// Loads project_file and runs its build without writing anything. Returns
// the whole report, title first, lines ending in CR LF: each file that a
// build would change (as printable_name shows it), then "TOC is up to
// date." (exit_code 0) or "N file(s) would change." (exit_code 1); or "Error
// occurred: " and the project's error message when the project cannot be
// read or its build fails (exit_code 2, as a parameter error: "out of date"
// and "broken" stay apart). Progress goes to line when given. Run as root,
// a project file of another user or one that others may write is refused
// unless trusted. The pages are read on jobs threads (0: one for each core), and
// looked up in the user's page cache when cache is set.
vtstring check_report(std::string_view project_file, int& exit_code, progress_line* line = nullptr,
                      bool trusted = false, int jobs = 0, bool cache = false);
