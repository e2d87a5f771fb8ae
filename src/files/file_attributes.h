// Giving a new file the attributes of the file it is to replace.
#pragma once

#include <sys/stat.h>

#include <string>

// Gives the file open as fd (a new file of ours) the extended attributes
// (ACLs included: they are the system.posix_acl_* attributes), the owner and
// group, and the permission bits mode of the file target described by page.
// True when fd carries all of them afterwards; false when any could not be
// given: another user's file (only root may give a file away), a group we are
// not in, an attribute we may not set. The new file may then not take the
// target's place by rename.
// A run that makes many new files in one folder passes what the first
// showed of new files there (known false until then): their owner and
// group, and whether they start without extended attributes (an inherited
// ACL or a label would be one). The kernel gives each new file of ours in a
// folder the same, so only the first is asked.
struct new_file_traits {
    bool known = false;
    bool bare = false;  // no extended attributes
    uid_t owner = 0;
    gid_t group = 0;
};
// What is known of a new file made to replace a target: the permission
// bits it was created with, taken as exactly those (so only when no umask,
// inherited ACL or set-id bit could change them), and the target's
// attribute names (null when not listed yet).
struct made_temp {
    bool has_mode = false;
    mode_t mode = 0;
    const std::string* target_names = nullptr;
};
bool vtfile_take_attributes(int fd, const std::string& target, const struct stat& page, mode_t mode,
                            new_file_traits* traits = nullptr, const made_temp* made = nullptr);
// The names of the extended attributes of the file at path, each ending in
// a zero byte ("" on a file system without them). False when they cannot be
// listed.
bool vtfile_attribute_names(const std::string& path, std::string& names);

// Readies the file open as fd (a new file of ours) to take target's place
// by rename: a new target (page null) gets the permission bits mode, as far
// as its file system keeps them; an existing one's attributes, owner, group
// and the bits mode go onto fd (vtfile_take_attributes, with traits). False
// when target must be rewritten in place instead: it has more than one name,
// or fd cannot carry all it has.
bool vtfile_ready_for_rename(int fd, const std::string& target, const struct stat* page,
                             mode_t mode, new_file_traits* traits = nullptr,
                             const made_temp* made = nullptr);

// Lets the file open as fd (a new file of ours, mode 0600, in the group of
// target) be read by exactly those who may read target: target's access
// ACL, or, for a target without one, its group and other read bits. False
// when that could not be done; fd may then be readable by fewer.
bool vtfile_share_read_access(int fd, const std::string& target, const struct stat& page);

// Gives the file open as fd (a new file of ours) the extended attributes of
// target other than its ACLs (see vtfile_share_read_access), as far as we
// may set them: user ones, and security or trusted ones where permitted.
// False only when the attributes could not be listed or set for another
// reason than permission or support.
bool vtfile_copy_permitted_attributes(int fd, const std::string& target);
