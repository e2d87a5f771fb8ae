#include "files/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "files/file_ops.h"
#include "files/vtfile_handle.h"
#include "files/vtfile_path.h"

namespace {

bool copy_through_buffer(int from, int to, off_t in, off_t out, int64_t length) {
    std::array<char, 65536> buffer;
    while (in < length) {
        const ssize_t got = pread(from, buffer.data(), buffer.size(), in);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                pwrite(to, buffer.data() + done, static_cast<size_t>(got - done), out + done);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            done += put;
        }
        in += got;
        out += got;
    }
    return true;
}

}  // namespace

bool vtfile_write_all(int fd, const char* bytes, size_t n) {
    while (n > 0) {
        const ssize_t w = sys_ops().write(fd, bytes, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        bytes += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

bool vtfile_copy_bytes(int from, int to, int64_t length, int64_t at) {
    off_t in = 0, out = at;
    while (in < length) {
        const ssize_t n =
            sys_ops().copy_file_range(from, &in, to, &out, static_cast<size_t>(length - in), 0);
        if (n > 0) continue;
        if (n == 0) return false;  // the source is shorter than it was
        if (errno == EINTR) continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return false;
        return copy_through_buffer(from, to, in, out, length);
    }
    return true;
}

bool vtfile_read_at(int fd, char* into, size_t n, int64_t offset) {
    while (n > 0) {
        const ssize_t got = pread(fd, into, n, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        into += got;
        n -= static_cast<size_t>(got);
        offset += got;
    }
    return true;
}

bool vtfile_sync_folder_of(const std::string& path) {
    const vtfile_handle folder(
        ::open(vtfile_folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.is_open()) return sys_ops().fsync(folder.get()) == 0;
    if (errno != EACCES) return false;
    // A folder we may write but not list: its file system as a whole, by
    // way of the file.
    const vtfile_handle file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    return file.is_open() && sys_ops().syncfs(file.get()) == 0;
}

int vtfile_default_mode() {
    const mode_t mask = umask(022);
    umask(mask);
    return static_cast<int>(0666 & ~mask);
}
