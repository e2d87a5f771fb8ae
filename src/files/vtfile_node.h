// vtfile_node: what the file layer knows about one file or folder.
//
// The record of a file information query, and one entry of a folder listing
// when records form a tree (vtfile_tree).
#pragma once

#include <cstdint>

#include "core/vte_tree.h"
#include "core/vtstring.h"
#include "core/vtval.h"

struct vtfile_node : vte_node<vtfile_node> {
    // The queried path with backslashes turned into slashes; in a listing the
    // bare entry name.
    vtstring path;
    // 1 for a folder, 0 otherwise.
    int32_t is_directory = 0;
    // Byte count: an integer below the query's threshold, else a real. Left as
    // it was for a folder (the integer 0 in a fresh record).
    vtval size;
    // Last modification, seconds since 1970-01-01 00:00 UTC.
    int64_t mtime = 0;
    // The entry's st_mode bits.
    uint32_t attributes = 0;
    // Empty unless a listing fills it.
    vtstring display_name;
};

using vtfile_tree = vte_tree<vtfile_node>;
