// batched_floor: the least a build must do to replace many pages safely with
// one durability barrier, so that a build can be compared with it in the same
// run.
//
//   batched_floor <list-file> fdatasync|range|syncfs|none
//   batched_floor <list-file> compare
//
// For the paths in list-file (one a line, relative to the current folder):
// read every page and write it to a new temporary file beside it (stage),
// make all of them durable (barrier), rename each over its page in list
// order, then fsync every folder that received a rename. Nothing is parsed,
// and no more than one page is held in memory. The barriers:
//   fdatasync  reopen each staged file and fdatasync it
//   range      sync_file_range(SYNC_FILE_RANGE_WRITE) on each file as it is
//              written, so that write-back runs while the others are staged;
//              then reopen and fdatasync each
//   syncfs     one syncfs() on the file system of the first page
//   none       no barrier: what staging and renaming cost alone (not durable)
// compare reads every page and compares it with a copy of its bytes made in
// memory: the least a rebuild that finds nothing changed must do.
//
// Prints the milliseconds of each phase on one line, e.g.
// "stage 120.5 barrier 480.2 rename 9.1 folders 1.3".
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "floor_io.h"

namespace {

enum class barrier { fdatasync, range, syncfs, none };

struct staged {
    std::string page;
    std::string temp;
};

bool stage(const std::string& page, barrier how, std::vector<char>& bytes,
           std::vector<staged>& done) {
    if (!floor_read_all(page, bytes)) return false;
    std::string temp = page + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    done.push_back({page, temp});
    bool ok = floor_write_all(fd, bytes.data(), bytes.size());
    if (ok && how == barrier::range) ok = sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE) == 0;
    return ::close(fd) == 0 && ok;
}

bool sync_path(const std::string& path, int flags, bool data_only) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | flags);
    if (fd < 0) return false;
    const bool ok = (data_only ? fdatasync(fd) : fsync(fd)) == 0;
    return ::close(fd) == 0 && ok;
}

bool make_durable(const std::vector<staged>& files, barrier how) {
    if (how == barrier::none || files.empty()) return true;
    if (how == barrier::syncfs) {
        const int fd = ::open(files.front().temp.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        const bool ok = syncfs(fd) == 0;
        return ::close(fd) == 0 && ok;
    }
    for (const staged& f : files)
        if (!sync_path(f.temp, 0, true)) return false;
    return true;
}

std::string folder_of(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Renames in list order, then syncs each folder that received one.
bool commit(const std::vector<staged>& files, double& rename_ms, double& folders_ms) {
    auto start = std::chrono::steady_clock::now();
    std::vector<std::string> folders;
    std::set<std::string> seen;
    for (const staged& f : files) {
        if (std::rename(f.temp.c_str(), f.page.c_str()) != 0) return false;
        const std::string folder = folder_of(f.page);
        if (seen.insert(folder).second) folders.push_back(folder);
    }
    rename_ms = floor_ms_since(start);
    start = std::chrono::steady_clock::now();
    for (const std::string& folder : folders)
        if (!sync_path(folder, O_DIRECTORY, false)) return false;
    folders_ms = floor_ms_since(start);
    return true;
}

int replace_all(const std::vector<std::string>& pages, barrier how) {
    std::vector<staged> files;
    std::vector<char> bytes;
    auto start = std::chrono::steady_clock::now();
    bool ok = true;
    for (const std::string& page : pages)
        if (!(ok = stage(page, how, bytes, files))) break;
    const double stage_ms = floor_ms_since(start);
    start = std::chrono::steady_clock::now();
    ok = ok && make_durable(files, how);
    const double barrier_ms = floor_ms_since(start);
    double rename_ms = 0, folders_ms = 0;
    if (!ok || !commit(files, rename_ms, folders_ms)) {
        for (const staged& f : files) ::unlink(f.temp.c_str());
        std::fprintf(stderr, "batched_floor: cannot replace the pages\n");
        return 1;
    }
    std::printf("stage %.1f barrier %.1f rename %.1f folders %.1f\n", stage_ms, barrier_ms,
                rename_ms, folders_ms);
    return 0;
}

int compare_all(const std::vector<std::string>& pages) {
    std::vector<char> bytes, rendered;
    const auto start = std::chrono::steady_clock::now();
    size_t differing = 0;
    for (const std::string& page : pages) {
        if (!floor_read_all(page, bytes)) {
            std::fprintf(stderr, "batched_floor: cannot read %s\n", page.c_str());
            return 1;
        }
        rendered.assign(bytes.begin(), bytes.end());
        if (std::memcmp(rendered.data(), bytes.data(), bytes.size()) != 0) ++differing;
    }
    std::printf("compare %.1f differing %zu\n", floor_ms_since(start), differing);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 3 ? argv[2] : "";
    const barrier how = mode == "range"    ? barrier::range
                        : mode == "syncfs" ? barrier::syncfs
                        : mode == "none"   ? barrier::none
                                           : barrier::fdatasync;
    if (mode != "fdatasync" && mode != "range" && mode != "syncfs" && mode != "none" &&
        mode != "compare") {
        std::fprintf(stderr,
                     "usage: batched_floor <list-file> fdatasync|range|syncfs|none|compare\n");
        return 2;
    }
    std::ifstream list(argv[1]);
    std::vector<std::string> pages;
    for (std::string path; std::getline(list, path);)
        if (!path.empty()) pages.push_back(path);
    return mode == "compare" ? compare_all(pages) : replace_all(pages, how);
}
