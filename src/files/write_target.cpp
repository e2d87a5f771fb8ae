#include "files/write_target.h"

#include <unistd.h>

#include <cerrno>

#include "files/vtfile_path.h"

namespace {

bool refuse(write_target& target, vtfile_error why = vtfile_error::cannot_write) {
    target.error = why;
    return false;
}

}  // namespace

bool find_write_target(std::string_view path, bool need_write, write_target& target,
                       std::unordered_set<std::string>* writable_folders) {
    target = {};
    const std::string p = vtfile_path(path);
    if (p.empty() || p.back() == '/') return refuse(target);
    switch (vtfile_resolve_links(p, target.path, true)) {
        case link_walk::foreign_link:
            return refuse(target, vtfile_error::foreign_link);
        case link_walk::loop:
            return refuse(target);
        case link_walk::ok:
            break;
    }
    if (lstat(target.path.c_str(), &target.st) == 0) {
        target.exists = true;
        if (S_ISDIR(target.st.st_mode) || S_ISLNK(target.st.st_mode)) return refuse(target);
        if (need_write && access(target.path.c_str(), W_OK) != 0) return refuse(target);
        if (!S_ISREG(target.st.st_mode)) return true;
    } else if (errno != ENOENT) {
        return refuse(target);
    }
    if (!need_write) return true;
    std::string folder = vtfile_folder_of(target.path);
    if (writable_folders && writable_folders->contains(folder)) return true;
    if (access(folder.c_str(), W_OK | X_OK) != 0) return refuse(target);
    if (writable_folders) writable_folders->insert(std::move(folder));
    return true;
}
