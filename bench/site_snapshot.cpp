#include "site_snapshot.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

namespace fs = std::filesystem;

site_snapshot::site_snapshot(const std::string& folder) {
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        struct stat st;
        if (!e.is_regular_file() || ::stat(e.path().c_str(), &st) != 0) continue;
        std::ifstream in(e.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        files_[fs::relative(e.path(), folder).string()] = {
            st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
            std::hash<std::string_view>{}(bytes)};
    }
}

file_changes site_snapshot::since(const site_snapshot& before) const {
    file_changes c;
    for (const auto& [name, now] : files_) {
        const auto was = before.files_.find(name);
        if (was == before.files_.end()) {
            ++c.changed, ++c.written;
            continue;
        }
        c.changed += now.hash != was->second.hash;
        c.written += now.inode != was->second.inode || now.mtime_ns != was->second.mtime_ns;
    }
    for (const auto& [name, was] : before.files_)
        if (!files_.count(name)) ++c.changed, ++c.written;
    return c;
}
