// fs_costs: what single file operations cost on this file system, to weigh
// designs of a build's commit phase.
//
//   fs_costs <folder> [count] [bytes]
//
// Each operation runs count times in a new folder of its own inside folder
// (all removed at the end) holding count synced pages of about bytes each
// (default 500 of 23,000 bytes, a generated page). Prints the median and
// 90th percentile in microseconds: operations that delete nothing, the
// durable replacement of a page step by step (each step's median less the
// one before being what that step adds to a synced write), then operations
// that free inodes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "floor_io.h"
#include "site_generator.h"
#include "spread_folders.h"

namespace {

class scratch {
  public:
    scratch(std::string root, int count, std::string page)
        : root_(std::move(root)), page_(std::move(page)), count_(count) {
        std::filesystem::create_directories(root_);
        spread_subfolders(root_);
    }
    ~scratch() {
        if (folder_fd_ >= 0) ::close(folder_fd_);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // A new folder with count synced pages p0, p1...: the next operation's.
    bool fresh() {
        if (folder_fd_ >= 0) ::close(folder_fd_);
        folder_ = quiet_subfolder(root_, made_);
        folder_fd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int i = 0; i < count_; ++i)
            if (folder_fd_ < 0 || !write_new(name('p', i), false)) return false;
        sync();
        return true;
    }

    std::string name(char kind, int i) const { return folder_ + "/" + kind + std::to_string(i); }
    const std::string& page() const { return page_; }
    int count() const { return count_; }

    bool write_new(const std::string& path, bool sync_data) const {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        bool ok = floor_write_all(fd, page_.data(), page_.size());
        if (sync_data) ok = ok && fdatasync(fd) == 0;
        return ::close(fd) == 0 && ok;
    }
    bool create(const std::string& path) const {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        return fd >= 0 && ::close(fd) == 0;
    }
    // fdatasync, or only the start of write-back.
    bool sync_file(const std::string& path, bool start_only) const {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const bool ok = fd >= 0 && (start_only ? sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE)
                                               : fdatasync(fd)) == 0;
        return ::close(fd) == 0 && ok;
    }
    bool replace(int i) const {
        return write_new(name('w', i), true) &&
               std::rename(name('w', i).c_str(), name('p', i).c_str()) == 0;
    }
    bool sync_folder() const { return fsync(folder_fd_) == 0; }
    bool sync_fs() const { return syncfs(folder_fd_) == 0; }

  private:
    std::string root_, folder_;
    std::string page_;
    int count_;
    int made_ = 0;
    int folder_fd_ = -1;
};

using step = std::function<bool(int)>;

// In a fresh folder, runs prepare(i) untimed and act(i) timed for each i;
// prints one row, with the median less before when before is given.
double time_each(scratch& s, const char* what, const step& prepare, const step& act,
                 double before = -1) {
    if (!s.fresh()) return -1;
    std::vector<double> us;
    for (int i = 0; i < s.count(); ++i) {
        if (prepare && !prepare(i)) return -1;
        const auto start = std::chrono::steady_clock::now();
        if (!act(i)) {
            std::fprintf(stderr, "fs_costs: %s failed: %s\n", what, std::strerror(errno));
            return -1;
        }
        us.push_back(floor_ms_since(start) * 1000);
    }
    std::sort(us.begin(), us.end());
    const double median = us[us.size() / 2];
    std::printf("%-56s %9.1f %9.1f", what, median, us[us.size() * 9 / 10]);
    if (before >= 0) std::printf(" %9.1f", median - before);
    std::printf("\n");
    return median;
}

// Operations that delete nothing come first: on ext4 without a journal the
// inodes a deletion frees slow every creation near them for a minute.
void without_deletions(scratch& s) {
    std::vector<char> bytes;
    time_each(s, "stat a page", nullptr, [&](int i) {
        struct stat st;
        return ::stat(s.name('p', i).c_str(), &st) == 0;
    });
    time_each(s, "read a page and compare it with bytes in memory", nullptr, [&](int i) {
        return floor_read_all(s.name('p', i), bytes) && bytes.size() == s.page().size() &&
               std::memcmp(bytes.data(), s.page().data(), bytes.size()) == 0;
    });
    time_each(s, "create an empty file", nullptr, [&](int i) { return s.create(s.name('c', i)); });
    time_each(s, "create and write a page, no sync", nullptr,
              [&](int i) { return s.write_new(s.name('w', i), false); });
    const step written = [&](int i) { return s.write_new(s.name('w', i), false); };
    time_each(s, "fdatasync a page just written", written,
              [&](int i) { return s.sync_file(s.name('w', i), false); });
    time_each(s, "sync_file_range(WRITE) on a page just written", written,
              [&](int i) { return s.sync_file(s.name('w', i), true); });
    time_each(s, "fsync the folder, nothing changed", nullptr,
              [&](int) { return s.sync_folder(); });
    time_each(s, "syncfs, none of our files dirty", nullptr, [&](int) { return s.sync_fs(); });
}

// A page replaced durably, one step more in each row.
void durable_steps(scratch& s) {
    std::printf("%-56s %9s %9s %9s\n", "durable replacement of one page", "median", "p90", "adds");
    const double in_place =
        time_each(s, "overwrite a page in place, fdatasync", nullptr, [&](int i) {
            const int fd = ::open(s.name('p', i).c_str(), O_WRONLY | O_CLOEXEC);
            const std::string& page = s.page();
            const bool ok =
                fd >= 0 &&
                pwrite(fd, page.data(), page.size(), 0) == static_cast<ssize_t>(page.size()) &&
                fdatasync(fd) == 0;
            return ::close(fd) == 0 && ok;
        });
    const double created = time_each(
        s, "  a new file instead (create, write, fdatasync)", nullptr,
        [&](int i) { return s.write_new(s.name('n', i), true); }, in_place);
    const double renamed = time_each(
        s, "  then rename it over the page", nullptr, [&](int i) { return s.replace(i); }, created);
    time_each(
        s, "  then fsync the folder", nullptr,
        [&](int i) { return s.replace(i) && s.sync_folder(); }, renamed);
}

void with_deletions(scratch& s) {
    std::printf("%-56s %9s %9s\n", "operations that free inodes", "median", "p90");
    time_each(
        s, "create an empty file, a page removed before each",
        [&](int i) { return ::unlink(s.name('p', i).c_str()) == 0; },
        [&](int i) { return s.create(s.name('c', i)); });
    time_each(
        s, "remove an empty file", [&](int i) { return s.create(s.name('c', i)); },
        [&](int i) { return ::unlink(s.name('c', i).c_str()) == 0; });
    time_each(s, "remove a synced page (its blocks are freed)", nullptr,
              [&](int i) { return ::unlink(s.name('p', i).c_str()) == 0; });
    const step rename = [&](int i) {
        return std::rename(s.name('w', i).c_str(), s.name('p', i).c_str()) == 0;
    };
    time_each(
        s, "rename a synced page over a page",
        [&](int i) { return s.write_new(s.name('w', i), true); }, rename);
    time_each(
        s, "rename an unsynced page over a page",
        [&](int i) { return s.write_new(s.name('w', i), false); }, rename);
    time_each(
        s, "fsync the folder after one rename", [&](int i) { return s.replace(i); },
        [&](int) { return s.sync_folder(); });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: fs_costs <folder> [count] [bytes]\n");
        return 2;
    }
    const int count = argc > 2 ? std::max(10, std::atoi(argv[2])) : 500;
    const size_t bytes = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 23000;
    scratch s(std::string(argv[1]) + "/fs-costs-" + std::to_string(getpid()), count,
              generate_page(7, bytes));
    std::printf(
        "%d pages of %zu bytes a folder; creating a file in %s itself: %.1f us\n%-56s %9s %9s\n",
        count, s.page().size(), argv[1], create_cost_us(argv[1]), "operation (microseconds)",
        "median", "p90");
    without_deletions(s);
    durable_steps(s);
    with_deletions(s);
    return 0;
}
