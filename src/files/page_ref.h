// page_ref: a file that a run reads or writes, named and looked at once when
// the run starts, so that its later steps (reading, staging, the lost-update
// checks, locking, renaming) neither walk its symlinks nor normalise its
// path again.
//
// A run's files share a few folders: the symlinks of each folder are walked
// once, and each file then costs one look (an lstat, by statx). Only a file
// that is itself a symlink, or that is missing, gets a walk of its own.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "files/vtfile_path.h"

struct page_ref {
    std::string written;   // as the run names it
    std::string resolved;  // the same file named without symlinks (when walk is ok)
    std::string normal;    // the absolute, normal form of written
    link_walk walk = link_walk::ok;
    // What that look told of resolved when the run started; a later step that
    // opens the file trusts a descriptor only while it is this file. plain:
    // the file system said it was neither immutable nor append-only; clock:
    // the coarse clock before the look (file_state.h).
    bool exists = false;
    struct stat st {};
    bool plain = false;
    timespec clock{};
    // Set by the run once it holds the lock of the file's folder
    // (folder_held) and has listed the folder (backups_known; backup_found:
    // the file had a backup there). Every run of ours that rewrites a file
    // in place holds the lock of the file's folder from before the backup
    // is made until it is gone: a file of one name (st_nlink 1) in a folder
    // we hold gets no new backup, so only a backup found then needs
    // settling, and no rewrite in place needs waiting for.
    bool folder_held = false;
    bool backups_known = false;
    bool backup_found = false;
    // The file as the run opened it to read it, when it did; read_plain:
    // its file system said it was neither immutable nor append-only.
    bool read = false;
    bool read_plain = false;
    struct stat read_st {};
    // The folder's device, and whether it is of a local file system whose
    // permissions are the mode bits and ACLs the kernel sees (set with
    // folder_held).
    dev_t folder_device = 0;
    bool folder_local = false;
};

class page_refs {
  public:
    // Makes the reference of each path not known yet.
    void add(const std::vector<std::string_view>& paths);
    // The reference of path, made now when it is not known yet.
    page_ref& of(std::string_view path);
    // The reference of path, or null when none was made (any thread, once
    // no reference is being made).
    const page_ref* find(std::string_view path) const;
    // Every reference made, by its path as written.
    std::unordered_map<std::string, page_ref>& all() { return refs_; }

  private:
    page_ref& make(std::string_view path);

    std::unordered_map<std::string, page_ref> refs_;
    // Each folder as written, and the same folder without symlinks ("" when
    // its walk failed: its files get walks of their own).
    std::unordered_map<std::string, std::string> folders_;
};

// The resolved folder of a reference (its resolved path's folder).
std::string page_ref_folder(const page_ref& ref);
