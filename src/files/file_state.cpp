#include "files/file_state.h"

#include <fcntl.h>
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

// The hash of every byte of fd; false when a read fails.
bool hash_bytes(int fd, content_hash& hash) {
    std::vector<char> block(65536);
    for (off_t at = 0;;) {
        const ssize_t n = pread(fd, block.data(), block.size(), at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        hash.add({block.data(), static_cast<size_t>(n)});
        at += n;
    }
}

}  // namespace

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

file_state file_state::of(int fd) {
    const timespec now = clock();
    struct stat st;
    if (fstat(fd, &st) != 0) return {};
    file_state s = of(st, now);
    if (s.racy && !hash_bytes(fd, s.hash)) s.racy = false;
    return s;
}

bool file_state::holds_for(const std::string& path) const {
    struct stat st;
    if (sys_ops().lstat(path.c_str(), &st) != 0) return !exists && errno == ENOENT;
    if (!exists || !S_ISREG(st.st_mode) || file_id{st.st_dev, st.st_ino} != id ||
        st.st_size != size || !same_time(st.st_mtim, mtime) || !same_time(st.st_ctim, ctime))
        return false;
    if (!racy) return true;
    const vtfile_handle file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    content_hash now;
    return file.is_open() && hash_bytes(file.get(), now) && now.value() == hash.value();
}
