// What a run did to the files of a site, seen from outside.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>

// Files that now hold other bytes (or were made or removed), and files that
// were written at all: a new inode or modification time, or made or removed.
struct file_changes {
    int changed = 0;
    int written = 0;
};

// The inode, modification time and a hash of the bytes of every regular file
// under a folder.
class site_snapshot {
  public:
    explicit site_snapshot(const std::string& folder);

    // What happened to the files between before and this snapshot.
    file_changes since(const site_snapshot& before) const;

  private:
    struct entry {
        ino_t inode = 0;
        int64_t mtime_ns = 0;
        size_t hash = 0;
    };
    std::map<std::string, entry> files_;
};
