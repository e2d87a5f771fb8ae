// The link check: do the local links of a saved project's pages lead
// somewhere?
#pragma once

#include <string_view>

#include "core/vtstring.h"

// Loads project_file and checks the links of its pages, writing nothing.
// Returns the whole report, title first, lines ending in CR LF: one line per
// problem ("Dead link: <page>: <href>", "Duplicate id: <page>: <id>"), then
// "Links are fine." (exit_code 0) or "N problem(s) found." (exit_code 1);
// or "Error occurred: " and the project's error message when the project or
// a page cannot be read (exit_code 2). Control characters of hrefs and ids
// are shown as '?'. Run as root, it takes a project file as a build does
// (load_batch_project).
vtstring links_report(std::string_view project_file, int& exit_code, bool trusted = false);
