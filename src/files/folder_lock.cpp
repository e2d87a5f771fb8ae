#include "files/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "files/lock_wait.h"
#include "files/temp_registry.h"

namespace {

// Tries before giving up on a name that keeps being replaced under us.
constexpr int kAttempts = 100;

// Only those who may write the folder may open its lock file.
mode_t lock_mode(const struct stat& folder) {
    mode_t mode = S_IRUSR | S_IWUSR;
    if (folder.st_mode & S_IWGRP) mode |= S_IRGRP | S_IWGRP;
    if (folder.st_mode & S_IWOTH) mode |= S_IROTH | S_IWOTH;
    return mode;
}

bool same_file(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

folder_lock::folder_lock(folder_lock&& other) noexcept
    : folder_(std::move(other.folder_)),
      file_(std::move(other.file_)),
      path_(std::move(other.path_)),
      slot_(std::exchange(other.slot_, -1)),
      remove_(std::exchange(other.remove_, false)) {}

folder_lock::~folder_lock() {
    if (!remove_) return;
    // Forgotten by the signal handler before the name goes: once it is gone
    // another run may create a new lock file there.
    const termination_deferred hold;
    temp_registry_remove(slot_);
    unlinkat(folder_.get(), kName, 0);
    file_.reset();
}

std::string folder_lock::path_in(const std::string& folder) {
    return folder == "/" ? std::string("/") + kName : folder + "/" + kName;
}

// Opens the lock file (a writer creates it); fd is -1 when there is none to
// take.
folder_lock::outcome folder_lock::open_lock_file(bool exclusive, int& fd) const {
    const int dir = folder_.get();
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    fd = openat(dir, kName, (exclusive ? O_RDWR : O_RDONLY) | kFlags);
    if (fd < 0 && errno == ENOENT && exclusive) {
        fd = openat(dir, kName, O_RDWR | O_CREAT | O_EXCL | kFlags, 0600);
        struct stat st;
        if (fd >= 0 && fstat(dir, &st) == 0) {
            // Root's lock file belongs to the folder's owner, who may need
            // to remove it; the group is the folder's, so that its writers
            // may open it.
            if (fchown(fd, geteuid() == 0 ? st.st_uid : static_cast<uid_t>(-1), st.st_gid) != 0) {
                // the group stays the creator's
            }
            fchmod(fd, lock_mode(st));
        }
        if (fd < 0 && errno == EEXIST) return outcome::taken;  // made meanwhile: again
    }
    if (fd < 0) {
        // A symlink, or a file we may not open: not ours to trust, unless
        // there is none and we may not make one.
        if (errno == ELOOP || (exclusive && errno != ENOENT && errno != EROFS &&
                               faccessat(dir, kName, F_OK, AT_SYMLINK_NOFOLLOW) == 0))
            return outcome::refused;
        return outcome::unlocked;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fd = -1;
        return outcome::refused;
    }
    return outcome::taken;
}

folder_lock::outcome folder_lock::take(vtfile_handle folder, const std::string& path,
                                       bool exclusive) {
    folder_ = std::move(folder);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        int fd = -1;
        const outcome opened = open_lock_file(exclusive, fd);
        if (opened != outcome::taken) return opened;
        if (fd < 0) continue;
        vtfile_handle file(fd);
        if (!vtfile_lock(fd, exclusive ? LOCK_EX : LOCK_SH, path)) return outcome::held;
        // Registered for termination signals in the same step.
        const termination_deferred hold;
        // The run that held it may have removed it when it ended.
        struct stat held, named;
        if (fstat(fd, &held) != 0 ||
            fstatat(folder_.get(), kName, &named, AT_SYMLINK_NOFOLLOW) != 0 ||
            !same_file(held, named))
            continue;
        if (exclusive) {
            path_ = path_in(path);
            slot_ = temp_registry_add(path_);
            remove_ = true;
        }
        file_ = std::move(file);
        return outcome::taken;
    }
    return outcome::refused;
}
