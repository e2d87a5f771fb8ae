#include "files/staged_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "files/file_io.h"

staged_file::~staged_file() {
    close_all();
}

void staged_file::start(write_target target, int current, int64_t current_size, sink to) {
    close_all();
    target_ = std::move(target);
    current_ = current;
    current_size_ = current_size;
    sink_ = to;
    made_ = {};
    differs_ = false;
    equal_ = total_ = 0;
    limit_ = INT64_MAX;
    failed_ = false;
    error_ = vtfile_error::none;
    block_.used = block_.room = 0;
}

bool staged_file::fail(vtfile_error why) {
    failed_ = true;
    if (error_ == vtfile_error::none) error_ = why;
    block_.used = block_.room = 0;
    return false;
}

// Pieces that do not fit the room left in the block go in block by block.
bool staged_file::write_more(std::string_view bytes) {
    if (failed_) return false;
    block_.make();
    if (block_.used + block_.room == 0) block_.room = write_block::size;
    while (!bytes.empty()) {
        const size_t n = std::min(block_.room, bytes.size());
        std::memcpy(block_.data.get() + block_.used, bytes.data(), n);
        block_.used += n;
        block_.room -= n;
        bytes.remove_prefix(n);
        if (block_.room == 0 && !flush()) return false;
    }
    return true;
}

bool staged_file::flush() {
    if (block_.used == 0) return true;
    if (total_ + static_cast<int64_t>(block_.used) >= limit_) return fail(vtfile_error::too_large);
    if (!differs_) {
        if (same_as_current(block_.data.get(), block_.used))
            equal_ += static_cast<int64_t>(block_.used);
        else if (!diverge())
            return false;
    }
    if (out_.fd() >= 0 && !vtfile_write_all(out_.fd(), block_.data.get(), block_.used))
        return fail();
    total_ += static_cast<int64_t>(block_.used);
    block_.drained();
    return true;
}

bool staged_file::same_as_current(const char* block, size_t n) {
    if (current_ < 0 || equal_ + static_cast<int64_t>(n) > current_size_) return false;
    if (!compared_) compared_ = std::make_unique_for_overwrite<char[]>(write_block::size);
    return vtfile_read_at(current_, compared_.get(), n, equal_) &&
           std::memcmp(compared_.get(), block, n) == 0;
}

bool staged_file::diverge() {
    differs_ = true;
    switch (sink_) {
        case sink::none:
            return true;
        case sink::temp_file:
            if (!out_.create_beside(target_.path, creation_mode())) return fail();
            break;
        case sink::memory:
            if (!out_.create_in_memory("orvane-check")) return fail();
            break;
    }
    // The copy leaves the file position alone.
    const int out = out_.fd();
    if (equal_ > 0 &&
        (!vtfile_copy_bytes(current_, out, equal_) || lseek(out, equal_, SEEK_SET) != equal_))
        return fail();
    return true;
}

// A file is created with its target's own permission bits when nothing
// would change them (the umask, an ACL the folder hands down, a change of
// owner that clears set-id bits) and the target has no extended attribute
// (an ACL among them) that the new file should carry before it can be read;
// those are listed now rather than at staging, so that this costs no call.
// Any other file starts private, 0600, and gets its bits at staging.
mode_t staged_file::creation_mode() {
    made_ = {};
    const struct stat& st = target_.st;
    const mode_t mode = st.st_mode & 07777;
    if (!target_.exists || st.st_nlink != 1 || !traits_.known || !traits_.bare ||
        traits_.owner != st.st_uid || traits_.group != st.st_gid || (mode & 07000) != 0 ||
        (mode & umask_) != 0 || !vtfile_attribute_names(target_.path, target_names_))
        return 0600;
    made_.target_names = &target_names_;
    if (!target_names_.empty()) return 0600;
    made_.has_mode = true;
    made_.mode = mode;
    return mode;
}

bool staged_file::finish() {
    if (failed_ || !flush()) return false;
    if (!differs_ && (current_ < 0 || equal_ != current_size_)) return diverge();
    return true;
}

void staged_file::close_all() {
    if (current_ >= 0) ::close(current_);
    current_ = -1;
    out_.remove();
}
