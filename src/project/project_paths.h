// Where a project's relative paths are taken from, and how they are written.
//
// A project file holds its pages, destination and template as the user
// wrote them. Batch mode takes relative ones from the current folder, unless
// the project says relative_to = project: then, as in the window, from the
// folder of the project file. Only the copy a run works on has its paths
// made absolute; the record keeps them as written.
#pragma once

#include <string>
#include <string_view>

class toc_project;

// path made absolute from folder; an absolute or empty path, or an empty
// folder, leaves it as it is.
std::string resolved_path(std::string_view path, std::string_view folder);

// A copy of project whose sources, patterns, destination and template file
// are resolved from folder.
toc_project resolved_project(const toc_project& project, std::string_view folder);

// The absolute folder of a project file (bytes), without a trailing slash;
// empty for an empty path.
std::string project_folder_of(std::string_view project_file);

// Resolves project's paths from the folder of project_file when the project
// asks for that (relative_to = project); leaves it alone otherwise.
void resolve_from_project_file(toc_project& project, std::string_view project_file);

// path as a project in folder writes it: relative to folder when, made
// absolute from base, it lies inside folder; else absolute. An empty path
// stays empty; base and folder are absolute.
std::string path_for_project(std::string_view path, std::string_view base, std::string_view folder);

// pattern as a project in folder writes it: a relative pattern taken from
// base is written relative to folder when base lies inside folder, else
// with base's path in front (its wildcards escaped). An absolute pattern, or
// one whose base is folder, stays as it is.
std::string pattern_for_project(std::string_view pattern, std::string_view base,
                                std::string_view folder);

// project's sources, patterns, destination and template file, written as
// path_for_project and pattern_for_project give them (taken from base,
// written for folder).
void rebase_project(toc_project& project, std::string_view base, std::string_view folder);
