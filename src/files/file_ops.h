// file_ops: the system calls whose results steer the staging of files and
// its commit (file_staging.h, page_backup.h), reached through one table.
//
// In the program the table holds the real calls and costs one indirect call
// each, a few a file. A test puts a table of its own in place to make any
// of them fail, or to change the files between two steps, at the very step
// it chooses, and to see in which order the steps ran.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

struct file_ops {
    ssize_t (*write)(int fd, const void* bytes, size_t n);
    ssize_t (*copy_file_range)(int from, off_t* from_at, int to, off_t* to_at, size_t n,
                               unsigned flags);
    // Creates the temporary file path, which must not exist yet, open for
    // reading and writing, with the permission bits mode (under the umask).
    int (*make_temp)(const char* path, mode_t mode);
    int (*rename)(const char* from, const char* to);
    int (*fsync)(int fd);
    int (*fdatasync)(int fd);
    int (*syncfs)(int fd);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*fchmod)(int fd, mode_t mode);
    // The lost-update check's look at a target (file_state::holds_for).
    int (*lstat)(const char* path, struct stat* st);

    // The real calls.
    static const file_ops real;
    // The table in use: real, unless a test put another in place.
    static const file_ops* used;
};

// The calls in use.
inline const file_ops& sys_ops() {
    return *file_ops::used;
}
