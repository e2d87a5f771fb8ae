// file_state: what a run saw of a file that it reads and then replaces, so
// that at commit time it can tell whether anybody changed the file since.
//
// The inode, size and both time stamps tell a change apart, except for a
// change made within the clock tick in which the run took the state: the
// file system stamps a file with a coarse clock, so such a change may leave
// every field as it was. A state taken that close to the file's last change
// is "racy" and carries a hash of the bytes that were read; for it the
// bytes decide.
//
// A state may also be the run's first look at the file, taken when the run
// began, rather than one of the descriptor its bytes were read from: that
// saves a call a file. A file replaced before it was read then no longer
// matches it, yet was read as it is; so for such a state a change is judged
// by the bytes read (their length and digest), and by what a replacement
// takes over from the file (owner, group, mode, links, flags).
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/hash128.h"

// A running hash (FNV-1a, 64 bits) of a file's bytes.
class content_hash {
  public:
    void add(std::string_view bytes) {
        for (const char c : bytes) value_ = (value_ ^ static_cast<unsigned char>(c)) * kPrime;
    }
    uint64_t value() const { return value_; }

  private:
    static constexpr uint64_t kPrime = 1099511628211ull;
    uint64_t value_ = 14695981039346656037ull;
};

// A file's identity on its machine.
struct file_id {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const file_id&) const = default;
};

struct file_id_hash {
    size_t operator()(const file_id& id) const {
        return std::hash<uint64_t>()(static_cast<uint64_t>(id.inode) * 31 + id.device);
    }
};

struct file_state {
    bool exists = false;
    file_id id;
    off_t size = 0;
    timespec mtime{};
    timespec ctime{};
    // Changed within the tick in which the state was taken: hash holds the
    // bytes' hash, filled by whoever reads them.
    bool racy = false;
    content_hash hash;
    // The run's first look (see above); read: the bytes read are known.
    bool from_start = false;
    bool read = false;
    int64_t read_length = 0;
    hash128 read_digest{};
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;
    nlink_t links = 0;
    bool plain = false;  // neither immutable nor append-only

    // The state of a file described by st, taken when the coarse clock
    // showed clock (read before st was taken).
    static file_state of(const struct stat& st, const timespec& clock);
    // The state of the open regular file fd now; when racy, its bytes are
    // hashed here.
    static file_state of(int fd);
    // The coarse clock the file system stamps files with.
    static timespec clock();
    // The state of a file as the run's first look saw it (st, plain), at
    // clock; its bytes are told later (took).
    static file_state at_start(const struct stat& st, bool plain, const timespec& clock);
    // The bytes read of a file whose state is at_start's: length of them,
    // of digest hash_bytes.
    void took(int64_t length, const hash128& digest) {
        read_length = length;
        read_digest = digest;
        read = true;
    }

    // True when the file at path (a path without symlinks) is still the
    // one described: there and the same inode, size and time stamps, and
    // for a racy state the same bytes; or missing, as it was.
    bool holds_for(const std::string& path) const;

  private:
    // For a state taken at the run's start: the file at path (of state st)
    // holds the very bytes read and would take a replacement the same way.
    bool same_as_read(const std::string& path, const struct stat& st) const;
};

// lstat of path (an empty path: fstat of fd), through statx, which also
// tells whether the file is neither immutable nor append-only (plain).
bool stat_plain(int fd, const char* path, struct stat& st, bool& plain);
