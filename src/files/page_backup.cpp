#include "files/page_backup.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>

#include "files/file_attributes.h"
#include "files/file_io.h"
#include "files/file_ops.h"
#include "files/lock_wait.h"
#include "files/temp_name.h"
#include "files/vtfile_handle.h"
#include "files/vtfile_path.h"

namespace {

constexpr std::string_view kBackupSuffix = ".orvane-backup";
// The backup's last line: "\norvane-backup " + the old and the new length,
// each as 16 hex digits, + "\n".
constexpr std::string_view kTrailerTag = "\norvane-backup ";
constexpr size_t kTrailerSize = kTrailerTag.size() + 16 + 1 + 16 + 1;

std::string trailer(int64_t old_length, int64_t new_length) {
    char line[kTrailerSize + 1];
    std::snprintf(line, sizeof line, "%s%016" PRIx64 " %016" PRIx64 "\n", kTrailerTag.data(),
                  static_cast<uint64_t>(old_length), static_cast<uint64_t>(new_length));
    return std::string(line, kTrailerSize);
}

// A backup's old and new bytes, read whole; false for anything that is not
// a backup of ours.
struct backup_bytes {
    std::string all;
    std::string_view old_bytes, new_bytes;
};

bool read_whole(int fd, int64_t size, std::string& into) {
    into.resize(static_cast<size_t>(size));
    return vtfile_read_at(fd, into.data(), into.size(), 0);
}

bool read_backup(int fd, const struct stat& st, backup_bytes& b) {
    if (st.st_size < static_cast<off_t>(kTrailerSize) || !read_whole(fd, st.st_size, b.all))
        return false;
    const std::string_view all = b.all;
    const std::string_view last = all.substr(all.size() - kTrailerSize);
    uint64_t old_length = 0, new_length = 0;
    char end = 0;
    if (!last.starts_with(kTrailerTag) ||
        std::sscanf(std::string(last.substr(kTrailerTag.size())).c_str(),
                    "%16" SCNx64 " %16" SCNx64 "%c", &old_length, &new_length, &end) != 3 ||
        end != '\n' || old_length + new_length != all.size() - kTrailerSize)
        return false;
    b.old_bytes = all.substr(0, old_length);
    b.new_bytes = all.substr(old_length, new_length);
    return true;
}

enum class page_form { old_bytes, new_bytes, half_written, other };

// A rewrite puts the new bytes over the old ones from the start, and cuts
// the file to their length once all are in: a file half written is the
// first k new bytes followed by the old bytes from k on, for some k.
page_form form_of(std::string_view page, const backup_bytes& b) {
    if (page == b.old_bytes) return page_form::old_bytes;
    if (page == b.new_bytes) return page_form::new_bytes;
    size_t written = 0;  // the most new bytes that the page can start with
    while (written < page.size() && written < b.new_bytes.size() &&
           page[written] == b.new_bytes[written])
        ++written;
    if (page.size() > b.old_bytes.size())
        return written == page.size() ? page_form::half_written : page_form::other;
    if (page.size() != b.old_bytes.size()) return page_form::other;
    size_t old_from = page.size();  // the page ends in the old bytes from here on
    while (old_from > 0 && page[old_from - 1] == b.old_bytes[old_from - 1]) --old_from;
    return old_from <= written ? page_form::half_written : page_form::other;
}

// Copies the old bytes back over the file, durably, and removes the backup.
bool restore(std::string_view old_bytes, int fd, const std::string& target) {
    return pwrite(fd, old_bytes.data(), old_bytes.size(), 0) ==
               static_cast<ssize_t>(old_bytes.size()) &&
           ftruncate(fd, static_cast<off_t>(old_bytes.size())) == 0 &&
           sys_ops().fdatasync(fd) == 0 && page_backup_remove(target) &&
           vtfile_sync_folder_of(target);
}

// Writes the backup of the file open as fd and makes it durable, name
// included.
bool save_backup(int fd, const struct stat& file, int source, int64_t length,
                 const std::string& target) {
    std::string temp;
    const vtfile_handle staged(page_backup_stage(fd, file, source, length, target, temp));
    if (!staged.is_open()) return false;
    if (sys_ops().fdatasync(staged.get()) == 0 && page_backup_publish(temp, target) &&
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

// An in-memory file of bytes, or -1.
int memory_file(std::string_view bytes) {
    const int fd = memfd_create("orvane-backup", MFD_CLOEXEC);
    if (fd >= 0 &&
        (!vtfile_write_all(fd, bytes.data(), bytes.size()) || lseek(fd, 0, SEEK_SET) != 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Settles the backup left beside target, with the exclusive lock held.
backup_check settle(int fd, const std::string& target, int* old_bytes) {
    // Not blocking: anybody who may write the folder may put a pipe there.
    const vtfile_handle backup(
        ::open(page_backup_path(target).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!backup.is_open()) return errno == ENOENT ? backup_check::none : backup_check::refused;
    struct stat b, file;
    backup_bytes bytes;
    std::string page;
    if (fstat(backup.get(), &b) != 0 || fstat(fd, &file) != 0 || !trusted(b, file) ||
        !read_backup(backup.get(), b, bytes) || !read_whole(fd, file.st_size, page))
        return backup_check::refused;
    switch (form_of(page, bytes)) {
        case page_form::other:
            return backup_check::stale;
        case page_form::old_bytes:
        case page_form::new_bytes:
            if (!old_bytes && page_backup_remove(target)) vtfile_sync_folder_of(target);
            return backup_check::none;
        case page_form::half_written:
            break;
    }
    if (old_bytes) {
        *old_bytes = memory_file(bytes.old_bytes);
        return *old_bytes >= 0 ? backup_check::would_restore : backup_check::refused;
    }
    const vtfile_handle out(::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    return out.is_open() && restore(bytes.old_bytes, out.get(), target) ? backup_check::restored
                                                                        : backup_check::refused;
}

}  // namespace

std::string page_backup_path(const std::string& target) {
    const size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    std::string name = target.substr(slash + 1);
    if (name.size() > 200) {
        // A name within NAME_MAX that still tells long names apart (FNV-1a).
        uint64_t hash = 14695981039346656037ull;
        for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
        name = name.substr(0, 200) + "." + hex;
    }
    return folder + "." + name + std::string(kBackupSuffix);
}

bool page_backup_name(std::string_view name) {
    return name.size() > kBackupSuffix.size() + 1 && name[0] == '.' &&
           name.ends_with(kBackupSuffix);
}

// The backup gets the file's extended attributes (those we may set). It
// stays 0600 in our own group unless it gets the file's group; then it takes
// the file's read access (lock and key: its ACL, or its group and other read
// bits), so that those who may read the file may restore it.
int page_backup_stage(int fd, const struct stat& file, int source, int64_t length,
                      const std::string& target, std::string& temp) {
    const int out = atomic_temp_beside(target, temp);
    if (out < 0) return -1;
    const std::string last = trailer(file.st_size, length);
    bool ok = vtfile_copy_bytes(fd, out, file.st_size) &&
              vtfile_copy_bytes(source, out, length, file.st_size) &&
              pwrite(out, last.data(), last.size(), file.st_size + length) ==
                  static_cast<ssize_t>(last.size()) &&
              vtfile_copy_permitted_attributes(out, target);
    if (ok && sys_ops().fchown(out, static_cast<uid_t>(-1), file.st_gid) == 0 &&
        !vtfile_share_read_access(out, target, file))
        ok = sys_ops().fchmod(out, 0600) == 0;
    if (ok) return out;
    ::close(out);
    unlink(temp.c_str());
    temp.clear();
    return -1;
}

bool page_backup_publish(const std::string& temp, const std::string& target) {
    return sys_ops().rename(temp.c_str(), page_backup_path(target).c_str()) == 0;
}

bool page_backup_remove(const std::string& target) {
    return unlink(page_backup_path(target).c_str()) == 0;
}

bool page_overwrite(int fd, int source, int64_t length) {
    return vtfile_copy_bytes(source, fd, length) && ftruncate(fd, length) == 0;
}

bool page_backup_restore(int fd, const std::string& target) {
    const vtfile_handle backup(
        ::open(page_backup_path(target).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    backup_bytes bytes;
    return backup.is_open() && fstat(backup.get(), &st) == 0 && S_ISREG(st.st_mode) &&
           read_backup(backup.get(), st, bytes) && restore(bytes.old_bytes, fd, target);
}

bool page_rewrite_in_place(const std::string& target, int source, int64_t length, int mode) {
    // Closing the file at the end releases its lock.
    const vtfile_handle page(::open(target.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!page.is_open()) return false;
    const int fd = page.get();
    struct stat file;
    bool ok = vtfile_lock(fd, LOCK_EX, target) && fstat(fd, &file) == 0 && S_ISREG(file.st_mode) &&
              save_backup(fd, file, source, length, target);
    if (ok) {
        ok = page_overwrite(fd, source, length) && sys_ops().fdatasync(fd) == 0;
        // Should the backup outlive this (a crash before its removal is on
        // disk), the next run finds the new bytes and only drops it.
        if (ok && page_backup_remove(target)) vtfile_sync_folder_of(target);
        if (!ok) page_backup_restore(fd, target);
    }
    if (ok && mode >= 0 && sys_ops().fchmod(fd, static_cast<mode_t>(mode)) != 0) {
        // the file keeps its bits
    }
    return ok;
}

backup_check page_settle_backup(int fd, const std::string& target, std::string_view shown,
                                int* old_bytes, backup_hint hint) {
    if (hint.none_beside && hint.one_name) return backup_check::none;
    const std::string path = page_backup_path(target);
    struct stat st;
    // Anyone who may read the file may lock it, so a lock held on a file
    // without a backup is not waited for: such a file is whole, since a
    // rewrite puts its backup in place before it writes a byte and removes
    // it once the new bytes are durable.
    bool waited = false;
    if (flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        if (lstat(path.c_str(), &st) != 0) return backup_check::none;
        if (!vtfile_lock(fd, LOCK_SH, shown)) return backup_check::held;
        waited = true;
    }
    if ((hint.none_beside && !waited) || lstat(path.c_str(), &st) != 0) return backup_check::none;
    // A rewrite in progress holds the exclusive lock until its backup is
    // gone; a backup still there once we hold it was left by a crash.
    if (!vtfile_lock(fd, LOCK_EX, shown)) return backup_check::held;
    const backup_check result = settle(fd, target, old_bytes);
    flock(fd, LOCK_SH);
    return result;
}
