#include "files/file_attributes.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <vector>

#include "files/file_ops.h"

namespace {

// The names of a file's extended attributes, each ending in a zero byte; a
// file system without them has none. False when they cannot be listed.
template <class List>
bool attribute_names(List list, std::string& names) {
    for (;;) {
        const ssize_t size = list(nullptr, 0);
        if (size < 0) return errno == ENOTSUP;
        names.resize(static_cast<size_t>(size));
        if (size == 0) return true;
        const ssize_t n = list(names.data(), names.size());
        if (n >= 0) {
            names.resize(static_cast<size_t>(n));
            return true;
        }
        if (errno != ERANGE) return false;  // grew meanwhile: ask again
    }
}

template <class Get>
bool attribute_value(Get get, std::string& value) {
    for (;;) {
        const ssize_t size = get(nullptr, 0);
        if (size < 0) return false;
        value.resize(static_cast<size_t>(size));
        const ssize_t n = get(value.data(), value.size());
        if (n >= 0) {
            value.resize(static_cast<size_t>(n));
            return true;
        }
        if (errno != ERANGE) return false;
    }
}

std::vector<std::string_view> split_names(const std::string& names) {
    std::vector<std::string_view> list;
    for (size_t at = 0; at < names.size();) {
        const size_t end = names.find('\0', at);
        list.push_back(std::string_view(names).substr(at, end - at));
        at = end + 1;
    }
    return list;
}

// An attribute that we may not read or set, or that the file system of the
// new file does not hold.
bool not_ours_to_copy(int error) {
    return error == ENOTSUP || error == EPERM || error == EACCES || error == ENODATA;
}

bool is_acl(std::string_view name) {
    return name.starts_with("system.posix_acl_");
}

// Makes fd's extended attributes those of target: sets the target's values
// and removes what the new file has besides (say, an ACL inherited from the
// folder that the target does not carry). With only_permitted, the ACLs
// are left alone and an attribute we may not read or set is passed over.
// bare: fd is known to have no attributes.
// listed: the target's attribute names, when listed already.
bool copy_attributes(int fd, const std::string& target, bool only_permitted, bool bare = false,
                     std::string* fd_names = nullptr, const std::string* listed = nullptr) {
    std::string theirs = listed ? *listed : std::string(), ours;
    if ((!listed && !vtfile_attribute_names(target, theirs)) ||
        (!bare && !attribute_names([&](char* b, size_t n) { return flistxattr(fd, b, n); }, ours)))
        return false;
    if (fd_names) *fd_names = ours;
    if (theirs.empty() && ours.empty()) return true;
    const std::vector<std::string_view> wanted = split_names(theirs);
    for (std::string_view name : split_names(ours)) {
        bool keep = only_permitted && is_acl(name);
        for (std::string_view w : wanted) keep = keep || w == name;
        if (!keep && fremovexattr(fd, std::string(name).c_str()) != 0 &&
            !(only_permitted && not_ours_to_copy(errno)))
            return false;
    }
    std::string value, current;
    for (std::string_view name : wanted) {
        if (only_permitted && is_acl(name)) continue;
        const std::string n(name);
        if (!attribute_value(
                [&](char* b, size_t s) { return getxattr(target.c_str(), n.c_str(), b, s); },
                value)) {
            if (only_permitted && not_ours_to_copy(errno)) continue;
            return false;
        }
        if (attribute_value([&](char* b, size_t s) { return fgetxattr(fd, n.c_str(), b, s); },
                            current) &&
            current == value)
            continue;
        if (fsetxattr(fd, n.c_str(), value.data(), value.size(), 0) != 0 &&
            !(only_permitted && not_ours_to_copy(errno)))
            return false;
    }
    return true;
}

}  // namespace

bool vtfile_attribute_names(const std::string& path, std::string& names) {
    return attribute_names([&](char* b, size_t n) { return listxattr(path.c_str(), b, n); }, names);
}

// Attributes first, while the new file is still ours and writable; then the
// owner, which clears set-id bits; then the mode, which puts them back. The
// kernel may drop a bit silently (a set-group-id bit for a group we are not
// in), so the result is checked rather than trusted.
bool vtfile_take_attributes(int fd, const std::string& target, const struct stat& page, mode_t mode,
                            new_file_traits* traits, const made_temp* made) {
    const bool known = traits && traits->known;
    std::string names;
    struct stat now;
    if (!copy_attributes(fd, target, false, known && traits->bare, &names,
                         made ? made->target_names : nullptr))
        return false;
    if (known) {
        now.st_uid = traits->owner;
        now.st_gid = traits->group;
    } else if (fstat(fd, &now) != 0) {
        return false;
    } else if (traits) {
        *traits = {true, names.empty(), now.st_uid, now.st_gid};
    }
    const bool given = now.st_uid != page.st_uid || now.st_gid != page.st_gid;
    if (given && sys_ops().fchown(fd, page.st_uid, page.st_gid) != 0) return false;
    const bool has_mode =
        made && made->has_mode && made->mode == mode && !given && (mode & 07000) == 0;
    if (!has_mode && sys_ops().fchmod(fd, mode) != 0) return false;
    // Only a set-id bit can be dropped without a word, and only a change of
    // owner can fail to stick: anything else is as asked.
    if (!given && (mode & 06000) == 0) return true;
    if (fstat(fd, &now) != 0) return false;
    return now.st_uid == page.st_uid && now.st_gid == page.st_gid && (now.st_mode & 07777) == mode;
}

bool vtfile_ready_for_rename(int fd, const std::string& target, const struct stat* page,
                             mode_t mode, new_file_traits* traits, const made_temp* made) {
    if (page)
        return page->st_nlink == 1 && vtfile_take_attributes(fd, target, *page, mode, traits, made);
    // Best effort: a file system without modes (a FAT stick) must not make
    // the write fail; the new file keeps the temporary file's 0600.
    sys_ops().fchmod(fd, mode);
    return true;
}

// An ACL inherited from the folder goes first: its entries would otherwise
// gain what the mode's group bits give.
bool vtfile_share_read_access(int fd, const std::string& target, const struct stat& page) {
    static constexpr const char* kAcl = "system.posix_acl_access";
    std::string acl;
    if (attribute_value([&](char* b, size_t n) { return getxattr(target.c_str(), kAcl, b, n); },
                        acl))
        return fsetxattr(fd, kAcl, acl.data(), acl.size(), 0) == 0;
    if (errno != ENODATA && errno != ENOTSUP) return false;
    if (fremovexattr(fd, kAcl) != 0 && errno != ENODATA && errno != ENOTSUP) return false;
    return sys_ops().fchmod(fd, 0600 | (page.st_mode & 0044)) == 0;
}

bool vtfile_copy_permitted_attributes(int fd, const std::string& target) {
    return copy_attributes(fd, target, true);
}
