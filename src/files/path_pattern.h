// path_pattern: names the files of a folder tree by a pattern.
//
// The pattern's names are separated by "/" (or "\"); each is a name_pattern,
// and a name "**" stands for any number of folders, none included (last in
// the pattern: every file below). The names before the first wildcard name a
// folder the walk starts in. What a walk lists:
//   - regular files only (a folder, a device or a pipe is no page);
//   - no hidden name ("." first) unless the pattern's name for it begins
//     with "." itself; "**" enters no hidden folder;
//   - symlinks of the user or root are followed; another user's symlink is
//     not (as pages are opened): it lists nothing and is not entered. The
//     walk enters a folder once for each name of the pattern, so a link
//     back to a folder above makes no loop;
//   - a folder that cannot be read lists nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/name_pattern.h"

class path_pattern {
  public:
    enum class result {
        ok,
        unclosed_bracket,  // a "[" without its "]"
        no_match,          // no file matches
        foreign_link,      // the starting folder is reached through another user's symlink
    };

    // Splits text into names and compiles them: ok or unclosed_bracket.
    result compile(std::string_view text);

    // Appends the matching files to pages, in natural path order: names in
    // natural order (natural_order.h), and a folder's own files before the
    // files of its folders. Each page is written as the pattern's starting
    // folder followed by the names found. folder, when not empty, is where a
    // relative pattern counts from (empty: the current folder); it is taken
    // as it is, wildcards and all. ok when at least one file matched;
    // foreign_link says in start which folder was refused.
    result expand(std::string_view folder, std::vector<std::string>& pages,
                  std::string* start = nullptr) const;

  private:
    struct step {
        name_pattern name;
        bool any_depth = false;  // "**"
    };

    std::string start_;  // the folder the walk starts in ("" or ending in "/")
    std::vector<step> steps_;
};

// pattern counted from folder: the folder's wildcards escaped, so that they
// stand for themselves. An absolute or empty pattern, or an empty folder,
// leaves it as it is.
std::string path_pattern_in_folder(std::string_view folder, std::string_view pattern);
