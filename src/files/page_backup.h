// page_backup: rewriting a file in place without the risk of losing it.
//
// A file that may not be replaced by rename (it would lose its owner, group,
// hard links or attributes) is overwritten in place. Before that a backup is
// made durable beside it, ".<name>.orvane-backup" (written to a temporary
// file, synced and renamed, so a backup is always whole), and the backup goes
// once the new bytes are on disk. The backup holds the file's old bytes, the
// new bytes being written, and a last line with both lengths, so that it
// tells which states of the file it guards. A crash in between leaves the
// backup, and the next run that reads the file settles it first:
// - a file half written (the new bytes over the start of the old ones) gets
//   its old bytes back;
// - a file that holds the old bytes or the whole new ones just loses the
//   backup;
// - any other file (edited since) is left alone with its backup, and the
//   run fails naming both.
// A backup is never readable by anyone who may not read the file.
//
// Runs agree through flock on the file itself: a rewrite holds an exclusive
// lock from its backup to the backup's removal, a reader a shared one while
// it reads. So a reader never sees a file half rewritten, and never takes a
// running rewrite's backup for a leftover. Since anyone who may read a file
// may lock it, a reader waits for a lock only while the file has a backup;
// a rewrite waits for one, for as long as lock_wait.h says, as it must not
// run beside another run's rewrite of the same file (reached through
// another hard link, from a folder that run does not lock).
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

// The backup's name for the file target (a path without symlinks, or a
// file as the user names it).
std::string page_backup_path(const std::string& target);
// Whether a folder entry's name is a backup's name.
bool page_backup_name(std::string_view name);

// Overwrites target with the first length bytes of the file open as source,
// guarded by a backup, and sets its permission bits to mode unless mode is
// negative. True when the new bytes are on disk. On failure target holds its
// old bytes again; when even that failed, the backup stays for the next run.
bool page_rewrite_in_place(const std::string& target, int source, int64_t length, int mode);

// The steps of such a rewrite, for a run that rewrites many files around
// one durability barrier; the caller syncs where page_rewrite_in_place does.
// Writes the backup of the file open as fd (described by file), about to
// receive the first length bytes of source, to a new temporary file beside
// target; not synced. Its descriptor, or -1; temp receives its path.
int page_backup_stage(int fd, const struct stat& file, int source, int64_t length,
                      const std::string& target, std::string& temp);
// Gives a staged backup (a durable one) the backup's name.
bool page_backup_publish(const std::string& temp, const std::string& target);
// Removes target's backup.
bool page_backup_remove(const std::string& target);
// Overwrites the file open as fd with the first length bytes of source and
// cuts it to that length; not synced.
bool page_overwrite(int fd, int source, int64_t length);
// After a failed overwrite: the backup's old bytes back into the file open
// as fd, durably, and the backup removed.
bool page_backup_restore(int fd, const std::string& target);

enum class backup_check {
    none,           // no backup (or one that is gone now)
    restored,       // the file had its old bytes put back
    would_restore,  // in a check: the file would get its old bytes back
    refused,        // a backup we may not trust, cannot read or restore
    stale,          // the file was changed since the backup was made
    held,           // another program held the file too long (lock_wait.h)
};
// Before the file target, open for reading as fd, is read: takes a shared
// lock on it (held until fd is closed; none while another program holds
// it and there is no backup), waits for a rewrite in place by another run
// to end, and settles a backup that an interrupted one left
// (see above); a wait names the file as shown (the caller's spelling).
// The caller tells of a restore. With old_bytes (a check) nothing is
// written: for a file that would be restored, *old_bytes receives an
// in-memory file of its old bytes.
// What the caller knows of the file beforehand: no backup can be beside it
// (none_beside: its run holds the folder and found none there) and it has
// one name only. Both together: nobody rewrites it in place, and nothing
// needs settling or locking.
struct backup_hint {
    bool none_beside = false;
    bool one_name = false;
};
backup_check page_settle_backup(int fd, const std::string& target, std::string_view shown,
                                int* old_bytes = nullptr, backup_hint hint = {});
