#include "core/page_backup.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>

#include "core/atomic_file.h"
#include "core/vtfile_handle.h"
#include "core/vtfile_path.h"

namespace {

constexpr std::string_view kBackupSuffix = ".orvane-backup";

// Copies length bytes from the start of from to the start of to. In the
// kernel where it can (no pass through our memory), else through a buffer.
bool copy_bytes(int from, int to, int64_t length) {
    off_t in = 0, out = 0;
    while (in < length) {
        const ssize_t n = copy_file_range(from, &in, to, &out, static_cast<size_t>(length - in), 0);
        if (n > 0) continue;
        if (n == 0) return false;  // the source is shorter than it was
        if (errno == EINTR) continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return false;
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
    }
    return true;
}

// Makes a rename or an unlink in the folder of path durable.
bool sync_folder(const std::string& path) {
    const vtfile_handle folder(
        ::open(vtfile_folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder.is_open() && fsync(folder.get()) == 0;
}

// Writes the bytes of the file open as fd to its backup and makes it
// durable. The backup gets the file's group and read bits (best effort), so
// that those who may read the file may restore it.
bool save_backup(int fd, const struct stat& file, const std::string& target) {
    std::string temp;
    const int out = atomic_temp_beside(target, temp);
    if (out < 0) return false;
    bool ok = copy_bytes(fd, out, file.st_size) && fdatasync(out) == 0;
    if (ok && fchown(out, static_cast<uid_t>(-1), file.st_gid) != 0) {
        // stays in our own group
    }
    if (ok && fchmod(out, 0600 | (file.st_mode & 0044)) != 0) {
        // stays 0600
    }
    ok = ::close(out) == 0 && ok;
    ok = ok && rename(temp.c_str(), page_backup_path(target).c_str()) == 0 && sync_folder(target);
    if (!ok) unlink(temp.c_str());
    return ok;
}

bool remove_backup(const std::string& target) {
    return unlink(page_backup_path(target).c_str()) == 0 && sync_folder(target);
}

// Copies the backup back over the file, durably, and removes the backup.
bool restore(int backup, int64_t length, int fd, const std::string& target) {
    return copy_bytes(backup, fd, length) && ftruncate(fd, length) == 0 && fdatasync(fd) == 0 &&
           remove_backup(target);
}

// A backup may be restored when it can only have come from someone who may
// write the file anyway: root, we, the file's owner; or, for a file its
// group may write, a member of that group (only a member can give the backup
// that group); or anyone, for a file all may write. Anything else could be a
// file planted beside the page to have our run write it.
bool trusted(const struct stat& backup, const struct stat& file) {
    if (!S_ISREG(backup.st_mode) || backup.st_nlink != 1) return false;
    const uid_t owner = backup.st_uid;
    if (owner == 0 || owner == geteuid() || owner == file.st_uid) return true;
    if ((file.st_mode & S_IWGRP) && backup.st_gid == file.st_gid) return true;
    return (file.st_mode & S_IWOTH) != 0;
}

bool restore_left_backup(int fd, const std::string& target) {
    const std::string path = page_backup_path(target);
    const vtfile_handle backup(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!backup.is_open()) return false;
    struct stat b, file;
    if (fstat(backup.get(), &b) != 0 || fstat(fd, &file) != 0 || !trusted(b, file)) return false;
    const vtfile_handle out(::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    return out.is_open() && restore(backup.get(), b.st_size, out.get(), target);
}

}  // namespace

std::string page_backup_path(const std::string& target) {
    const std::string folder = vtfile_folder_of(target);
    std::string name = target.substr(target.find_last_of('/') + 1);
    if (name.size() > 200) {
        // A name within NAME_MAX that still tells long names apart (FNV-1a).
        uint64_t hash = 14695981039346656037ull;
        for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
        name = name.substr(0, 200) + "." + hex;
    }
    return (folder == "/" ? "" : folder) + "/." + name + std::string(kBackupSuffix);
}

bool page_rewrite_in_place(const std::string& target, int source, int64_t length, int mode) {
    // Closing the file at the end releases its lock.
    const vtfile_handle page(::open(target.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (!page.is_open()) return false;
    const int fd = page.get();
    flock(fd, LOCK_EX);
    struct stat file;
    bool ok = fstat(fd, &file) == 0 && S_ISREG(file.st_mode) && save_backup(fd, file, target);
    if (ok) {
        ok = copy_bytes(source, fd, length) && ftruncate(fd, length) == 0 && fdatasync(fd) == 0;
        if (ok) {
            // Should the backup outlive this (a crash before its removal
            // is on disk), the next run brings the old bytes back: the file
            // is whole either way.
            remove_backup(target);
        } else if (const vtfile_handle backup(
                       ::open(page_backup_path(target).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
                   backup.is_open()) {
            restore(backup.get(), file.st_size, fd, target);
        }
    }
    if (ok && mode >= 0 && fchmod(fd, static_cast<mode_t>(mode)) != 0) {
        // the file keeps its bits
    }
    return ok;
}

backup_check page_settle_backup(int fd, const std::string& target, std::string_view shown) {
    // Lock errors (a file system without locks) are no reason not to read.
    flock(fd, LOCK_SH);
    const std::string path = page_backup_path(target);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return backup_check::none;
    // A rewrite in progress holds the exclusive lock until its backup is
    // gone; a backup still there once we hold it was left by a crash.
    flock(fd, LOCK_EX);
    backup_check result = backup_check::none;
    if (lstat(path.c_str(), &st) == 0)
        result = restore_left_backup(fd, target) ? backup_check::restored : backup_check::refused;
    flock(fd, LOCK_SH);
    if (result == backup_check::restored)
        std::fprintf(stderr, "Restored from its backup after an interrupted write: %.*s\n",
                     static_cast<int>(shown.size()), shown.data());
    return result;
}
