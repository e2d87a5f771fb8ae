#include "files/page_backup.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "files/atomic_file.h"
#include "files/file_io.h"
#include "files/vtfile_handle.h"
#include "files/vtfile_path.h"

namespace {

constexpr std::string_view kBackupSuffix = ".orvane-backup";

// Copies the backup back over the file, durably, and removes the backup.
bool restore(int backup, int64_t length, int fd, const std::string& target) {
    return vtfile_copy_bytes(backup, fd, length) && ftruncate(fd, length) == 0 &&
           fdatasync(fd) == 0 && page_backup_remove(target) && vtfile_sync_folder_of(target);
}

// Writes the bytes of the file open as fd to its backup and makes it
// durable, name included.
bool save_backup(int fd, const struct stat& file, const std::string& target) {
    std::string temp;
    const vtfile_handle staged(page_backup_stage(fd, file, target, temp));
    if (!staged.is_open()) return false;
    if (fdatasync(staged.get()) == 0 && page_backup_publish(temp, target) &&
        vtfile_sync_folder_of(target))
        return true;
    unlink(temp.c_str());
    return false;
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

int page_backup_stage(int fd, const struct stat& file, const std::string& target,
                      std::string& temp) {
    const int out = atomic_temp_beside(target, temp);
    if (out < 0) return -1;
    // The backup gets the file's group and read bits (best effort), so that
    // those who may read the file may restore it.
    bool ok = vtfile_copy_bytes(fd, out, file.st_size);
    if (ok && fchown(out, static_cast<uid_t>(-1), file.st_gid) != 0) {
        // stays in our own group
    }
    if (ok && fchmod(out, 0600 | (file.st_mode & 0044)) != 0) {
        // stays 0600
    }
    if (ok) return out;
    ::close(out);
    unlink(temp.c_str());
    temp.clear();
    return -1;
}

bool page_backup_publish(const std::string& temp, const std::string& target) {
    return rename(temp.c_str(), page_backup_path(target).c_str()) == 0;
}

bool page_backup_remove(const std::string& target) {
    return unlink(page_backup_path(target).c_str()) == 0;
}

bool page_overwrite(int fd, int source, int64_t length) {
    return vtfile_copy_bytes(source, fd, length) && ftruncate(fd, length) == 0;
}

bool page_backup_restore(int fd, const std::string& target) {
    const vtfile_handle backup(
        ::open(page_backup_path(target).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    return backup.is_open() && fstat(backup.get(), &st) == 0 &&
           restore(backup.get(), st.st_size, fd, target);
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
        ok = page_overwrite(fd, source, length) && fdatasync(fd) == 0;
        // Should the backup outlive this (a crash before its removal is on
        // disk), the next run brings the old bytes back: the file is whole
        // either way.
        if (ok && page_backup_remove(target)) vtfile_sync_folder_of(target);
        if (!ok) page_backup_restore(fd, target);
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
