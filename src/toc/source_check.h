// The checks of a multi-file project's source list and destination, shared
// by builds and clearing runs.
#pragma once

#include <vector>

class toc_project;

// True when the list is not empty and every source exists and is no folder,
// checked in list order; otherwise the project's error message says which
// ("At least one source file must be specified", "File doesn't exist: " +
// path). sizes, when given, receives each source's size in bytes.
bool check_sources(toc_project& project, std::vector<double>* sizes);

// Sets exists to whether the destination is there. False, with "Can't open
// file for writing: " + path, when it is a folder: no run may write it.
bool check_destination(toc_project& project, bool& exists);
