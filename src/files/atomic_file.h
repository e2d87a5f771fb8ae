// atomic_file: writes a file so that it is either complete or untouched.
//
// The bytes go to a temporary file (".<name>.XXXXXX.orvane-tmp") in the
// target's own folder and are then put in the target's place, in one of two
// ways:
// - by rename, when the new file can carry everything the target has: its
//   owner, group, permission bits and extended attributes (ACLs included),
//   and the target has no other hard link. The temporary file is synced
//   first, so a crash leaves the old file or the new one, and the folder
//   after the rename, so a save reported done stays done.
// - in place otherwise (another user's page in a shared group folder, a page
//   with hard links): the target is overwritten, guarded by a durable backup
//   of its old bytes (page_backup.h), so that it keeps its inode and with it
//   its owner, group, links and attributes.
// The symlinks on the way to the target are followed, so a link survives and
// the file it names is written; each must belong to us or to root. Any
// failure leaves the target as it was and removes the temporary file.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/temp_file.h"
#include "files/vtfile_error.h"
#include "files/write_block.h"

class atomic_file {
  public:
    static constexpr size_t block_size = write_block::size;

    atomic_file() = default;
    atomic_file(const atomic_file&) = delete;
    atomic_file& operator=(const atomic_file&) = delete;
    // Removes the temporary file unless committed.
    ~atomic_file();

    // Prepares to replace path. Fails, creating nothing, when the target is a
    // folder, its folder is missing or not writable, an existing target is
    // not writable by us, or a symlink on the way loops or belongs to another
    // user.
    bool open(std::string_view path);
    // After open: permission bits for the replacement instead of the
    // target's own (or, for a new file, the defaults under the umask).
    void set_permissions(unsigned mode) {
        mode_ = static_cast<int>(mode);
        mode_given_ = true;
    }
    // After open: the file fails (error() too_large) when it would hold
    // limit bytes or more.
    void set_size_limit(int64_t limit) { limit_ = limit; }
    // Buffers bytes, writing in large blocks. False once any write failed.
    // Inline: a page is written as thousands of small pieces.
    bool write(std::string_view bytes) { return block_.put(bytes) || write_more(bytes); }
    // Flushes and puts the new bytes in the target's place. False on any
    // failure; the target is then untouched.
    bool commit();
    // Drops the temporary file; the target stays as it was.
    void abort();

    bool is_open() const { return fd_ >= 0; }
    // The path that will be replaced (symlinks resolved).
    const std::string& target() const { return target_; }
    // Why open, a write or commit failed: cannot_write, foreign_link or
    // too_large; none before any failure.
    vtfile_error error() const { return error_; }

  private:
    bool write_more(std::string_view bytes);
    bool flush();
    bool fail(vtfile_error why = vtfile_error::cannot_write);
    bool replace();

    int fd_ = -1;
    int mode_ = -1;
    bool mode_given_ = false;
    bool failed_ = false;
    vtfile_error error_ = vtfile_error::none;
    // The target as it was at open, when it is a regular file.
    bool has_page_ = false;
    struct stat page_ {};
    int64_t limit_ = INT64_MAX;
    int64_t written_ = 0;  // bytes in the temporary file
    std::string target_;
    temp_file temp_;
    // Bytes not written yet: used_ of them, room_ more fit (0 while the
    // file is not open or has failed).
    write_block block_;
};

// Replaces path with bytes through atomic_file. True on success.
bool vtfile_write_atomic(std::string_view path, std::string_view bytes);
