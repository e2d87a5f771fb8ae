// write_target: the file that a write to a path really replaces, and
// whether it may be replaced.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>
#include <unordered_set>

#include "files/vtfile_error.h"

struct page_ref;

struct write_target {
    std::string path;  // the file named without symlinks
    bool exists = false;
    struct stat st {};  // the file as it is, when it exists
    vtfile_error error = vtfile_error::none;
};

// Follows the symlinks on the way to path, each of which must belong to us
// or to root, and checks what it names: no folder, and, with need_write,
// writable by us, as is its folder when it is a regular file or new. False
// with target.error (cannot_write or foreign_link) otherwise. A run that
// writes many files into a few folders passes writable_folders: the
// folders found writable so far, asked of the kernel once each.
bool find_write_target(std::string_view path, bool need_write, write_target& target,
                       std::unordered_set<std::string>* writable_folders = nullptr);
// The same for a file of a run, whose links the run walked when it began
// (page_ref.h); a file the run read is taken as it was read.
bool find_write_target(const page_ref& ref, bool need_write, write_target& target,
                       std::unordered_set<std::string>* writable_folders = nullptr);
