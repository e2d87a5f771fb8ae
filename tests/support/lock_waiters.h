// lock_waiters: whether a process is blocked on a flock, read from
// /proc/locks, so that tests wait for a run to reach its lock instead of
// guessing how long that takes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <fstream>
#include <initializer_list>
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
