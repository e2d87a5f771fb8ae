// lock_waiters: whether a process is blocked on a flock, read from
// /proc/locks, so that tests wait for a run to reach its lock instead of
// guessing how long that takes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <thread>

// True once some process waits for a flock on a file with one of these
// inodes, or false after half a minute.
inline bool someone_waits_for(std::initializer_list<ino_t> inodes) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    do {
        std::ifstream locks("/proc/locks");
        for (std::string line; std::getline(locks, line);) {
            if (line.find("->") == std::string::npos) continue;
            for (const ino_t inode : inodes)
                if (line.find(":" + std::to_string(inode) + " ") != std::string::npos) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

// The backup that another run's rewrite in place of the page at path puts
// beside it before its first byte: the page's bytes as the old ones. A run
// waits for a page held locked only while it has a backup; once it may read
// the page, it drops this one (the page holds its old bytes). Its path.
inline std::string plant_rewrite_backup(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string old_bytes((std::istreambuf_iterator<char>(in)), {});
    char trailer[64];
    std::snprintf(trailer, sizeof trailer, "\norvane-backup %016zx %016x\n", old_bytes.size(), 1u);
    const size_t slash = path.find_last_of('/') + 1;
    const std::string backup = path.substr(0, slash) + "." + path.substr(slash) + ".orvane-backup";
    std::ofstream(backup, std::ios::binary) << old_bytes << "x" << trailer;
    return backup;
}
