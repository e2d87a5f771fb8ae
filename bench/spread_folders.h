// Placement of benchmark folders on ext4.
//
// On ext4 without a journal, a new file skips the inodes of files deleted in
// the last minute or more, one by one: in a block group where many files were
// just deleted (a compiler's /tmp, a former run) creating a file costs a
// millisecond instead of tens of microseconds. Benchmarks that create files
// therefore work in folders of their own block group, checked before use.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

// Marks folder as a top of hierarchy, so that ext4 gives each folder made in
// it a block group of its own. Best effort: other file systems have no such
// flag and need none.
inline void spread_subfolders(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    int flags = 0;
    if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && !(flags & FS_TOPDIR_FL)) {
        flags |= FS_TOPDIR_FL;
        ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    ::close(fd);
}

// The median time of creating an empty file in folder, in microseconds
// (the files are removed again); 0 when none can be made.
inline double create_cost_us(const std::string& folder) {
    std::vector<double> us;
    for (int i = 0; i < 16; ++i) {
        const std::string probe = folder + "/.probe-" + std::to_string(i);
        const auto start = std::chrono::steady_clock::now();
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) return 0;
        ::close(fd);
        const std::chrono::duration<double, std::micro> took =
            std::chrono::steady_clock::now() - start;
        us.push_back(took.count());
        ::unlink(probe.c_str());
    }
    std::sort(us.begin(), us.end());
    return us[us.size() / 2];
}

// A new folder parent/<++counter> (parent spread by spread_subfolders) where
// creating a file costs what it normally does; after eight crowded ones, the
// last. Crowded folders are left empty.
inline std::string quiet_subfolder(const std::string& parent, int& counter) {
    std::string folder;
    for (int tries = 0; tries < 8; ++tries) {
        folder = parent + "/" + std::to_string(++counter);
        std::filesystem::create_directories(folder);
        if (create_cost_us(folder) < 60) break;
    }
    return folder;
}
