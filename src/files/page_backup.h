// page_backup: rewriting a file in place without the risk of losing it.
//
// A file that may not be replaced by rename (it would lose its owner, group,
// hard links or attributes) is overwritten in place. Before that its old
// bytes are made durable in a backup beside it, ".<name>.orvane-backup"
// (written to a temporary file, synced and renamed, so a backup is always
// whole), and the backup goes once the new bytes are on disk. A crash in
// between leaves the backup, and the next run that reads the file restores
// it first.
//
// Runs agree through flock on the file itself: a rewrite holds an exclusive
// lock from its backup to the backup's removal, a reader a shared one while
// it reads. So a reader never sees a file half rewritten, and never takes a
// running rewrite's backup for a leftover.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

// The backup's name for the file target (a path without symlinks).
std::string page_backup_path(const std::string& target);

// Overwrites target with the first length bytes of the file open as source,
// guarded by a backup, and sets its permission bits to mode unless mode is
// negative. True when the new bytes are on disk. On failure target holds its
// old bytes again; when even that failed, the backup stays for the next run.
bool page_rewrite_in_place(const std::string& target, int source, int64_t length, int mode);

// The steps of such a rewrite, for a run that rewrites many files around
// one durability barrier; the caller syncs where page_rewrite_in_place does.
// Copies the bytes of the file open as fd (described by file) into a new
// temporary file beside target, with the file's group and read bits (best
// effort); not synced. Its descriptor, or -1; temp receives its path.
int page_backup_stage(int fd, const struct stat& file, const std::string& target,
                      std::string& temp);
// Gives a staged backup (a durable one) the backup's name.
bool page_backup_publish(const std::string& temp, const std::string& target);
// Removes target's backup.
bool page_backup_remove(const std::string& target);
// Overwrites the file open as fd with the first length bytes of source and
// cuts it to that length; not synced.
bool page_overwrite(int fd, int source, int64_t length);
// After a failed overwrite: the backup's bytes back into the file open as
// fd, durably, and the backup removed.
bool page_backup_restore(int fd, const std::string& target);

enum class backup_check { none, restored, refused };
// Before the file target, open for reading as fd, is read: takes a shared
// lock on it (held until fd is closed), waits for a rewrite in place by
// another run to end, and restores the file from a backup that an
// interrupted one left. A restore is told on standard error, naming the file
// as shown (the caller's spelling). refused when a backup is there but cannot
// be restored: one we may not trust (see page_backup.cpp), or not readable,
// or the file not writable.
backup_check page_settle_backup(int fd, const std::string& target, std::string_view shown);
