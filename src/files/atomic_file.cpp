// Replacement by rename, or in place behind a backup: the bytes never go into
// the target unguarded, so a crash, a kill or a full disk leaves either the
// old file or the new one.
#include "files/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "files/file_attributes.h"
#include "files/file_io.h"
#include "files/file_ops.h"
#include "files/page_backup.h"
#include "files/vtfile_path.h"
#include "files/write_target.h"

namespace {

constexpr size_t kBlock = write_block::size;

}  // namespace

atomic_file::~atomic_file() {
    abort();
}

bool atomic_file::open(std::string_view path) {
    abort();
    failed_ = false;
    error_ = vtfile_error::none;
    mode_ = -1;
    mode_given_ = false;
    has_page_ = false;
    limit_ = INT64_MAX;
    written_ = 0;
    write_target target;
    if (!find_write_target(path, true, target)) return fail(target.error);
    target_ = std::move(target.path);
    if (target.exists && !S_ISREG(target.st.st_mode)) {
        // A device or a pipe: there is no file to lose, write straight in.
        // A pipe nobody reads fails at once instead of blocking for ever.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK);
        if (fd_ >= 0) fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        return fd_ >= 0 || fail();
    }
    mode_ = target.exists ? static_cast<int>(target.st.st_mode & 07777) : vtfile_default_mode();
    page_ = target.st;
    has_page_ = target.exists;
    if (!temp_.create_beside(target_)) return fail();
    fd_ = temp_.fd();
    return true;
}

bool atomic_file::fail(vtfile_error why) {
    failed_ = true;
    if (error_ == vtfile_error::none) error_ = why;
    block_.used = block_.room = 0;
    return false;
}

bool atomic_file::flush() {
    if (written_ + static_cast<int64_t>(block_.used) >= limit_)
        return fail(vtfile_error::too_large);
    if (block_.used == 0) return true;
    if (!vtfile_write_all(fd_, block_.data.get(), block_.used)) return fail();
    written_ += static_cast<int64_t>(block_.used);
    block_.drained();
    return true;
}

// The pieces that do not fit the room left in the block (write() copies the
// others itself). The block is made on the first write; pages of it that are
// never touched cost nothing.
bool atomic_file::write_more(std::string_view bytes) {
    if (fd_ < 0 || failed_) return false;
    if (!block_.data) {
        block_.make();
        block_.room = kBlock;
        if (bytes.size() < block_.room) return write(bytes);
    }
    if (!flush()) return false;
    if (bytes.size() < kBlock) return write(bytes);
    if (written_ + static_cast<int64_t>(bytes.size()) >= limit_)
        return fail(vtfile_error::too_large);
    if (!vtfile_write_all(fd_, bytes.data(), bytes.size())) return fail();
    written_ += static_cast<int64_t>(bytes.size());
    return true;
}

// By rename when the new file can carry all the target has, else in place.
bool atomic_file::replace() {
    if (!vtfile_ready_for_rename(fd_, target_, has_page_ ? &page_ : nullptr,
                                 static_cast<mode_t>(mode_)))
        return page_rewrite_in_place(target_, fd_, written_, mode_given_ ? mode_ : -1);
    bool ok = sys_ops().fdatasync(fd_) == 0;
    ok = temp_.close() && ok;
    fd_ = -1;
    if (!ok || !temp_.rename_to(target_)) return false;
    // The new name is durable too before the save counts as done. Best
    // effort: the bytes are in place, and a file system that cannot sync a
    // folder must not make every save fail.
    vtfile_sync_folder_of(target_);
    return true;
}

bool atomic_file::commit() {
    if (fd_ < 0) return fail();
    bool ok = !failed_ && flush();
    if (!temp_.exists()) {  // written straight into a device
        ok = ::close(fd_) == 0 && ok;
        fd_ = -1;
    } else {
        ok = ok && replace();
        abort();
    }
    return ok || fail();
}

void atomic_file::abort() {
    if (fd_ >= 0 && !temp_.exists()) ::close(fd_);
    fd_ = -1;
    temp_.remove();
    block_.used = block_.room = 0;
}

bool vtfile_write_atomic(std::string_view path, std::string_view bytes) {
    atomic_file file;
    return file.open(path) && file.write(bytes) && file.commit();
}
