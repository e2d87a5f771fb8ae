#include "files/file_state.h"

#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <vector>

#include "files/file_ops.h"
#include "files/vtfile_handle.h"

namespace {

bool same_time(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool not_before(const timespec& a, const timespec& b) {
    return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec >= b.tv_nsec);
}

// Hands every byte of fd to hash (which has add()), in order; the count of
// them, or -1 when a read fails.
template <class Hash>
int64_t hash_bytes(int fd, Hash& hash) {
    std::vector<char> block(65536);
    for (int64_t at = 0;;) {
        const ssize_t n = pread(fd, block.data(), block.size(), at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) return at;
        hash.add({block.data(), static_cast<size_t>(n)});
        at += n;
    }
}

}  // namespace

bool stat_plain(int fd, const char* path, struct stat& st, bool& plain) {
    struct statx x;
    plain = false;
    const int flags = path[0] ? AT_SYMLINK_NOFOLLOW : AT_EMPTY_PATH;
    if (statx(fd, path, flags, STATX_BASIC_STATS, &x) != 0) {
        // A path is asked the old way only where statx is missing or
        // forbidden (a sandbox): a missing file costs one call.
        if (path[0] && errno != ENOSYS && errno != EPERM) return false;
        return path[0] ? lstat(path, &st) == 0 : fstat(fd, &st) == 0;
    }
    st = {};
    st.st_dev = makedev(x.stx_dev_major, x.stx_dev_minor);
    st.st_ino = x.stx_ino;
    st.st_mode = x.stx_mode;
    st.st_nlink = x.stx_nlink;
    st.st_uid = x.stx_uid;
    st.st_gid = x.stx_gid;
    st.st_rdev = makedev(x.stx_rdev_major, x.stx_rdev_minor);
    st.st_size = static_cast<off_t>(x.stx_size);
    st.st_blksize = static_cast<blksize_t>(x.stx_blksize);
    st.st_blocks = static_cast<blkcnt_t>(x.stx_blocks);
    st.st_atim = {x.stx_atime.tv_sec, x.stx_atime.tv_nsec};
    st.st_mtim = {x.stx_mtime.tv_sec, x.stx_mtime.tv_nsec};
    st.st_ctim = {x.stx_ctime.tv_sec, x.stx_ctime.tv_nsec};
    constexpr uint64_t kUnwritable = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
    plain = (x.stx_attributes_mask & kUnwritable) == kUnwritable &&
            (x.stx_attributes & kUnwritable) == 0;
    return true;
}

timespec file_state::clock() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return now;
}

file_state file_state::of(const struct stat& st, const timespec& clock) {
    file_state s;
    s.exists = true;
    s.id = {st.st_dev, st.st_ino};
    s.size = st.st_size;
    s.mtime = st.st_mtim;
    s.ctime = st.st_ctim;
    // A later change stamps the file with the clock or later; only a change
    // time at or after the clock might be stamped again unchanged. A file
    // system that keeps whole seconds (no nanoseconds) may do so for two.
    s.racy = not_before(st.st_ctim, clock) ||
             (st.st_ctim.tv_nsec == 0 && clock.tv_sec - st.st_ctim.tv_sec < 2);
    return s;
}

file_state file_state::at_start(const struct stat& st, bool plain, const timespec& clock) {
    file_state s = of(st, clock);
    s.from_start = true;
    s.owner = st.st_uid;
    s.group = st.st_gid;
    s.mode = st.st_mode;
    s.links = st.st_nlink;
    s.plain = plain;
    return s;
}

file_state file_state::of(int fd) {
    const timespec now = clock();
    struct stat st;
    if (fstat(fd, &st) != 0) return {};
    file_state s = of(st, now);
    if (s.racy && hash_bytes(fd, s.hash) < 0) s.racy = false;
    return s;
}

bool file_state::holds_for(const std::string& path) const {
    struct stat st;
    if (sys_ops().lstat(path.c_str(), &st) != 0) return !exists && errno == ENOENT;
    if (!exists || !S_ISREG(st.st_mode)) return false;
    const bool same_stamps = file_id{st.st_dev, st.st_ino} == id && st.st_size == size &&
                             same_time(st.st_mtim, mtime) && same_time(st.st_ctim, ctime);
    if (same_stamps && !racy) return true;
    if (from_start && read) return same_as_read(path, st);
    if (!same_stamps) return false;
    const vtfile_handle file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    content_hash now;
    return file.is_open() && hash_bytes(file.get(), now) >= 0 && now.value() == hash.value();
}

bool file_state::same_as_read(const std::string& path, const struct stat& st) const {
    const vtfile_handle file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat now;
    bool now_plain = false;
    if (!file.is_open() || !stat_plain(file.get(), "", now, now_plain) || now.st_dev != st.st_dev ||
        now.st_ino != st.st_ino)
        return false;
    // The replacement was made for a file of this owner, mode and links, on
    // this file system, that a rename may replace.
    if (now.st_dev != id.device || now.st_uid != owner || now.st_gid != group ||
        now.st_mode != mode || now.st_nlink != links || now_plain != plain)
        return false;
    hash_stream bytes;
    return hash_bytes(file.get(), bytes) == read_length && bytes.done() == read_digest;
}
