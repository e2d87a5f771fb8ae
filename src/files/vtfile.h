// vtfile: the thin layer over files, folders and paths used everywhere.
//
// Files are opened by a mode text in the manner of the C library and used
// through an int handle; VTFILE_INVALID (-1) is the invalid handle, which every
// operation accepts and does nothing with. Code that opens a file to read it
// holds the handle in a vtfile_handle (vtfile_handle.h), which closes it. Paths may be written with
// slashes or backslashes: every operation that takes a path turns backslashes into slashes on a
// copy before use (the caller's string is never changed). Failures are results (false, 0, -1,
// VTFILE_INVALID); nothing here throws or prints. Callers word the messages (vtfile_error_message
// helps) and the notices (vtfile_set_restore_teller, vtfile_set_wait_teller).
//
// Files the tool produces are written through atomic_file (atomic_file.h),
// never by truncating in place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/vtstring.h"
#include "core/vtval.h"
#include "files/vtfile_error.h"
#include "files/vtfile_handle.h"
#include "files/vtfile_node.h"
#include "files/vtfile_path.h"

struct page_ref;
struct stat;

// Origins of vtfile_seek.
enum vtfile_origin : int { VTFILE_START = 0, VTFILE_CURRENT = 1, VTFILE_END = 2 };

// Negative results of vtfile_read.
enum vtfile_read_error : int32_t {
    VTFILE_ERR_EOF = -1,
    VTFILE_ERR_PENDING = -2,
    VTFILE_ERR_MORE_DATA = -3,
    VTFILE_ERR_BUFFER_SMALL = -4,
    VTFILE_ERR_BROKEN_PIPE = -5,
    VTFILE_ERR_BAD_BUFFER = -6,
    VTFILE_ERR_NO_MEMORY = -7,
    VTFILE_ERR_ABORTED = -8,
    // Any other read error (I/O error, ...): never mistaken for the end of file.
    VTFILE_ERR_OTHER = -9,
};

// Size thresholds: below them a size is an integer value, else a real.
constexpr int64_t VTFILE_HANDLE_SIZE_LIMIT = 0x0FFFFFFF;
constexpr int64_t VTFILE_NAME_SIZE_LIMIT = 2147483648LL;

// ---- open files ----

// Opens path by mode text (letter case ignored; first letter decides, "+" as
// second letter adds access):
//   "r"  read; the file must exist          "r+" read and write
//   "w"  write; created or truncated         "w+" read and write, truncated
//   "a"  write; created, positioned at end   "a+" read and write, at end
//   any other letter: no data access; the file must exist
//   ""   no data access; opens folders as well as files
// Only the empty mode opens a folder. Returns a handle or VTFILE_INVALID.
int vtfile_open(std::string_view path, std::string_view mode);
// True when closed, and for VTFILE_INVALID.
bool vtfile_close(int handle);
// Reads up to count bytes into buffer (its length becomes the number read).
// Returns that number, 0 at end of file (and for VTFILE_INVALID, with an empty
// buffer), or a vtfile_read_error.
int32_t vtfile_read(int handle, vtstring& buffer, int32_t count);
// The same, into memory of count bytes.
int32_t vtfile_read(int handle, char* into, int32_t count);
// Writes all bytes. Returns the number written; 0 for VTFILE_INVALID or on error.
int32_t vtfile_write(int handle, std::string_view bytes);
// Moves the position. Returns the new position, or -1.
int64_t vtfile_seek(int handle, int64_t distance, vtfile_origin origin);
// Size of an open file (integer below VTFILE_HANDLE_SIZE_LIMIT, else real);
// the integer -1 for VTFILE_INVALID or when the size cannot be taken.
vtval vtfile_size(int handle);
// Size of a named file: opened with the empty mode, measured, closed.
vtval vtfile_size_of(std::string_view path);
// Reads the whole file into buffer. True when every byte was read; true for
// an empty file, leaving buffer as it was; false when the file cannot be
// opened, measured or read (buffer then unspecified).
bool vtfile_read_all(std::string_view path, vtstring& buffer);

// How vtfile_open_rewritten treats the symlinks on the way to a file.
enum class vtfile_links {
    any,      // follows every link
    trusted,  // follows only links that belong to the effective user or root
};
// Says that the file named path (as the caller of vtfile_open_rewritten
// named it) was restored from its backup after an interrupted write, or in a
// check (not done) would be. Nobody is told when tell is null, the default;
// a program sets the teller that words and shows the notice.
void vtfile_set_restore_teller(void (*tell)(std::string_view path, bool done));
// Tells the program's restore teller (lock_wait.h has a thread's own).
void vtfile_tell_restored(std::string_view path, bool done);
// Opens for reading a file that the tool rewrites (a page, a project or a
// settings file): as vtfile_open(path, "r"), and besides it waits for a
// rewrite in place by another run to end, and first restores a file that an
// interrupted one cut short (page_backup.h; told to the restore teller). The
// shared lock it takes lasts until the handle is closed. An empty handle on
// failure, with why: cannot_read, foreign_link (a link refused under
// vtfile_links::trusted), bad_backup, stale_backup or held. resolved, when
// given, receives the path without symlinks that was opened. With
// old_bytes nothing is written (a check): a file that would be restored is
// opened as it is, and *old_bytes receives its old bytes in memory.
vtfile_handle vtfile_open_rewritten(std::string_view path, vtfile_links links, vtfile_error& why,
                                    std::string* resolved = nullptr,
                                    vtfile_handle* old_bytes = nullptr);
// The same for a file of a run (trusted links only), whose path the run
// walked when it began (page_ref.h): no walk again unless another file is
// at the name now; st receives the opened file's state, and plain whether
// its file system says it is neither immutable nor append-only. With
// *at_start true, a file that was regular when the run began is opened
// without a look at the descriptor: st and plain are the run's first look
// (page_ref.h; file_state.h says what that takes), and *at_start stays true
// only when they are.
vtfile_handle vtfile_open_rewritten(const page_ref& ref, vtfile_error& why, struct stat& st,
                                    bool& plain, std::string* resolved = nullptr,
                                    vtfile_handle* old_bytes = nullptr, bool* at_start = nullptr);

// ---- information and folders ----

// True when an entry named path exists; fills node's path (with slashes),
// directory flag, size (files only; integer below VTFILE_NAME_SIZE_LIMIT),
// mtime and attributes. One trailing separator is ignored. Empty path: false.
bool vtfile_info(std::string_view path, vtfile_node& node);
// The executable's full path (/proc/self/exe), at most 1024 bytes; empty when
// unknown. A path given to vtfile_set_exe_path stands for it.
vtstring vtfile_exe_path();
// Makes path stand for the executable's own (a program another one became
// keeps that one's folder and name); empty: the executable's again.
void vtfile_set_exe_path(std::string_view path);
// The folder of the executable, ending in "/".
vtstring vtfile_program_folder();
bool vtfile_set_current_folder(std::string_view path);
// Creates one folder; its parent must exist. True on success.
bool vtfile_create_folder(std::string_view path);
// Deletes a file (not a folder). True on success.
bool vtfile_delete(std::string_view path);
// Copies a file with its permission bits. Without overwrite an existing
// target makes it fail. The target is complete or untouched.
bool vtfile_copy(std::string_view source, std::string_view target, bool overwrite);
// Renames (or, across file systems, copies and deletes). Fails when the target
// exists. True on success.
bool vtfile_move(std::string_view source, std::string_view target);
// Free bytes for the caller in the file system holding path, as a real in
// bytes; false and the integer 0 when it cannot be queried.
bool vtfile_free_space(std::string_view path, vtval& bytes);
// Seconds since 1970-01-01 00:00 UTC.
int64_t vtfile_now();

// ---- paths ----

// The longest leading part of path that exists as a folder ("/" plays the
// drive): stops at the first component that is missing (result: the prefix
// before it) or a file (result: that file's path). False, with an empty
// result, when the first component cannot be queried.
bool vtfile_deepest_folder(std::string_view path, vtstring& result);
// Lists the entries of folder whose names match pattern (fnmatch; empty
// pattern: "*") below parent in tree (top level when parent is null), in
// name order. "." and ".." never count as found, and with skip_dots they are
// not added. True when any other entry was found. Does not change the
// current folder.
bool vtfile_list(std::string_view folder, vtfile_tree& tree, vtfile_node* parent, bool skip_dots,
                 std::string_view pattern);
