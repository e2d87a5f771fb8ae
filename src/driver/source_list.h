// The pages a project's source list stands for: its source entries and the
// pages its patterns (source_glob) name, in list order. A run makes the list
// once, with its settings, so that every kind of run sees the same pages.
#pragma once

#include <string>
#include <vector>

#include "core/vtstring.h"

class toc_project;

// One line of the source list and the pages it adds to the run's list.
struct listed_source {
    std::string line;  // as the project holds it
    bool is_pattern = false;
    // An entry's page, or a pattern's matches in natural path order; a page
    // that an earlier line listed is not listed again (paths compared in
    // their absolute, normal form). A source entry repeated by a later
    // source entry stays, for the check of duplicates to name.
    std::vector<std::string> pages;
    // Why a pattern lists no page: "No file matches pattern: " + pattern,
    // "Unclosed [ in pattern: " + pattern, or "Can't follow link of another
    // user: " + folder. Empty otherwise.
    vtstring error;
};

// The folder that relative source entries and patterns count from; empty
// for the current folder, where they are used as written.
std::string source_folder(const toc_project& project);

// Every line of the project's source list with its pages, in list order.
// Looks at the file system; writes nothing.
std::vector<listed_source> list_sources(const toc_project& project);

// The run's source list: the pages of every line, in order. error names the
// first pattern that lists no page (empty when all do).
std::vector<std::string> expanded_sources(const toc_project& project, vtstring& error);
