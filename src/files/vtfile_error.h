// Why reading or writing a file failed, and the message that says so.
#pragma once

#include <string_view>

#include "core/vtstring.h"

enum class vtfile_error {
    none,
    cannot_read,     // "Can't open source file: "
    cannot_write,    // "Can't open file for writing: "
    foreign_link,    // a symlink on the way belongs to another user
    too_large,       // at or over page_size_limit
    bad_backup,      // a backup left by an interrupted write cannot be restored
    changed,         // changed by somebody else after the run read it
    stale_backup,    // changed since an interrupted write left its backup
    held,            // locked by another program for longer than a run waits
    no_descriptors,  // the process ran out of file descriptors
    bad_lock,        // a folder's lock file is a link, pipe or file we may not open
};

// The message for error about path: a fixed text followed by the path (for
// stale_backup, the path and its backup's). An empty text for none.
vtstring vtfile_error_message(vtfile_error error, std::string_view path);
