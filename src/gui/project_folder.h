// Where the window takes a project's relative paths from: the folder of the
// project file it was opened from or last saved to. A project that has no
// file yet takes them from the process's folder, as batch mode does. What the
// project file holds stays as the user wrote it; only the copy a build works
// on has its paths made absolute.
#pragma once

#include <string>
#include <string_view>

class toc_project;

// path made absolute from folder; an absolute or empty path, or an empty
// folder, leaves it as it is.
std::string resolved_path(std::string_view path, std::string_view folder);

// A copy of project whose sources, patterns, destination and template file are
// resolved from folder.
toc_project resolved_project(const toc_project& project, std::string_view folder);

// The folder of a project file (bytes), without a trailing slash; empty for
// an empty path.
std::string folder_of(std::string_view project_file);

// True when a and b hold the same settings (every key, sources in order).
bool same_settings(const toc_project& a, const toc_project& b);
