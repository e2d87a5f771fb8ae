// Why reading or writing a file failed, and the message that says so.
#pragma once

#include <string_view>

#include "core/vtstring.h"

enum class vtfile_error {
    none,
    cannot_read,   // "Can't open source file: "
    cannot_write,  // "Can't open file for writing: "
    foreign_link,  // a symlink on the way belongs to another user
    too_large,     // at or over page_size_limit
    bad_backup,    // a backup left by an interrupted write cannot be restored
    changed,       // changed by somebody else after the run read it
};

// The message for error about path: a fixed text followed by the path. An
// empty text for none.
vtstring vtfile_error_message(vtfile_error error, std::string_view path);
