// Replacement by rename: the bytes never go into the target itself, so a
// crash, a kill or a full disk leaves either the old file or the new one.
#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/vtfile_path.h"

namespace {

constexpr size_t kBlock = atomic_file::block_size;
constexpr std::string_view kTempSuffix = ".orvane-tmp";

// Follows symlinks (dangling ones too) to the file that is to be replaced.
std::string resolve_links(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return path;
        std::string link(buf.data(), static_cast<size_t>(n));
        size_t slash = path.find_last_of('/');
        if (link[0] != '/' && slash != std::string::npos) link = path.substr(0, slash + 1) + link;
        path = link;
    }
    return path;
}

std::string folder_of(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The permission bits a newly created file gets.
int default_mode() {
    mode_t mask = umask(022);
    umask(mask);
    return static_cast<int>(0666 & ~mask);
}

bool write_all(int fd, const char* bytes, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, bytes, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        bytes += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

}  // namespace

atomic_file::~atomic_file() {
    abort();
}

bool atomic_file::open(std::string_view path) {
    abort();
    failed_ = false;
    mode_ = -1;
    std::string p = vtfile_path(path);
    if (p.empty() || p.back() == '/') return false;
    target_ = resolve_links(p);
    struct stat st;
    bool exists = stat(target_.c_str(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode) || access(target_.c_str(), W_OK) != 0) return false;
        if (!S_ISREG(st.st_mode)) {
            // A device or a pipe: there is no file to lose, write straight in.
            // A pipe nobody reads fails at once instead of blocking for ever.
            fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK);
            if (fd_ >= 0) fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
            return fd_ >= 0;
        }
        if (mode_ < 0) mode_ = static_cast<int>(st.st_mode & 07777);
        owner_ = st.st_uid;
        group_ = st.st_gid;
        has_owner_ = true;
    } else if (mode_ < 0) {
        mode_ = default_mode();
    }
    std::string folder = folder_of(target_);
    if (access(folder.c_str(), W_OK | X_OK) != 0) return false;
    // A name within NAME_MAX whatever the target's name.
    std::string name = target_.substr(target_.find_last_of('/') + 1);
    if (name.size() > 200) name.resize(200);
    temp_ = (folder == "/" ? "" : folder) + "/." + name + ".XXXXXX" + std::string(kTempSuffix);
    fd_ = mkostemps(temp_.data(), static_cast<int>(kTempSuffix.size()), O_CLOEXEC);
    if (fd_ < 0) {
        temp_.clear();
        return false;
    }
    return true;
}

bool atomic_file::fail() {
    failed_ = true;
    used_ = room_ = 0;
    return false;
}

bool atomic_file::flush() {
    if (used_ == 0) return true;
    if (!write_all(fd_, buffer_.get(), used_)) return fail();
    room_ += used_;
    used_ = 0;
    return true;
}

// The pieces that do not fit the room left in the block (write() copies the
// others itself). The block is made on the first write; pages of it that are
// never touched cost nothing.
bool atomic_file::write_more(std::string_view bytes) {
    if (fd_ < 0 || failed_) return false;
    if (!buffer_) {
        buffer_ = std::make_unique_for_overwrite<char[]>(kBlock);
        room_ = kBlock;
        if (bytes.size() < room_) return write(bytes);
    }
    if (!flush()) return false;
    if (bytes.size() >= kBlock) return write_all(fd_, bytes.data(), bytes.size()) || fail();
    return write(bytes);
}

// Owner first: a change of owner may clear set-id bits that the mode then
// puts back. Both are best effort: a file system without owners or modes
// (a FAT stick) must not make the write fail.
void atomic_file::keep_attributes() {
    // Only root may hand the file to the target's owner; others keep theirs.
    if (has_owner_ && geteuid() == 0 && fchown(fd_, owner_, group_) != 0) {
        // the new file stays root's
    }
    if (fchmod(fd_, static_cast<mode_t>(mode_)) != 0) {
        // the new file keeps the temporary file's 0600
    }
}

bool atomic_file::commit() {
    if (fd_ < 0) return false;
    bool ok = !failed_ && flush();
    if (temp_.empty()) {  // written in place
        ok = ::close(fd_) == 0 && ok;
        fd_ = -1;
        return ok;
    }
    ok = ok && fdatasync(fd_) == 0;
    if (ok) keep_attributes();
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    ok = ok && rename(temp_.c_str(), target_.c_str()) == 0;
    if (ok) temp_.clear();
    abort();
    return ok;
}

void atomic_file::abort() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) unlink(temp_.c_str());
    temp_.clear();
    used_ = room_ = 0;
    has_owner_ = false;
}

bool vtfile_write_atomic(std::string_view path, std::string_view bytes) {
    atomic_file file;
    return file.open(path) && file.write(bytes) && file.commit();
}
