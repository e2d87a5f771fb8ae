#include "files/write_target.h"

#include <unistd.h>

#include <cerrno>

#include "files/page_ref.h"
#include "files/vtfile_path.h"

namespace {

bool refuse(write_target& target, vtfile_error why = vtfile_error::cannot_write) {
    target.error = why;
    return false;
}

}  // namespace

namespace {

// What find_write_target checks once the target is named and looked at;
// writable: the target is known to be writable by us without asking.
bool check_target(bool need_write, write_target& target,
                  std::unordered_set<std::string>* writable_folders, bool writable = false) {
    if (target.exists) {
        if (S_ISDIR(target.st.st_mode) || S_ISLNK(target.st.st_mode)) return refuse(target);
        if (need_write && !writable && access(target.path.c_str(), W_OK) != 0)
            return refuse(target);
        if (!S_ISREG(target.st.st_mode)) return true;
    }
    if (!need_write) return true;
    std::string folder = vtfile_folder_of(target.path);
    if (writable_folders && writable_folders->contains(folder)) return true;
    if (access(folder.c_str(), W_OK | X_OK) != 0) return refuse(target);
    if (writable_folders) writable_folders->insert(std::move(folder));
    return true;
}

bool walked(link_walk walk, write_target& target) {
    switch (walk) {
        case link_walk::foreign_link:
            return refuse(target, vtfile_error::foreign_link);
        case link_walk::loop:
            return refuse(target);
        case link_walk::ok:
            break;
    }
    return true;
}

// True when the file that ref read is ours to write by its mode alone, as
// access() would find: we own it (and run as ourselves), its owner may
// write it, it is neither immutable nor append-only, and it lies on its
// folder's local file system (a mount of its own could be read-only).
bool owner_writes(const page_ref& ref) {
    static const uid_t me = geteuid();
    static const bool as_ourselves = getuid() == me;
    const struct stat& st = ref.read_st;
    return ref.read && ref.read_plain && ref.folder_local && as_ourselves && st.st_uid == me &&
           (st.st_mode & S_IWUSR) != 0 && st.st_dev == ref.folder_device;
}

bool look_at(write_target& target) {
    if (lstat(target.path.c_str(), &target.st) == 0)
        target.exists = true;
    else if (errno != ENOENT)
        return refuse(target);
    return true;
}

}  // namespace

bool find_write_target(std::string_view path, bool need_write, write_target& target,
                       std::unordered_set<std::string>* writable_folders) {
    target = {};
    const std::string p = vtfile_path(path);
    if (p.empty() || p.back() == '/') return refuse(target);
    return walked(vtfile_resolve_links(p, target.path, true), target) && look_at(target) &&
           check_target(need_write, target, writable_folders);
}

bool find_write_target(const page_ref& ref, bool need_write, write_target& target,
                       std::unordered_set<std::string>* writable_folders) {
    target = {};
    if (ref.written.empty() || vtfile_path(ref.written).back() == '/') return refuse(target);
    if (!walked(ref.walk, target)) return false;
    target.path = ref.resolved;
    // The state it was read in: should it change before the commit, the
    // commit's check refuses it.
    if (ref.read) {
        target.st = ref.read_st;
        target.exists = true;
    } else if (!look_at(target)) {
        return false;
    }
    return check_target(need_write, target, writable_folders, owner_writes(ref));
}
