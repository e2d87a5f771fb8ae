#include "files/temp_file.h"

#include <stdio.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "files/file_ops.h"
#include "files/temp_name.h"
#include "files/temp_registry.h"

temp_file::temp_file(temp_file&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::exchange(other.path_, {})),
      slot_(std::exchange(other.slot_, -1)) {}

temp_file& temp_file::operator=(temp_file&& other) noexcept {
    if (this != &other) {
        remove();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::exchange(other.path_, {});
        slot_ = std::exchange(other.slot_, -1);
    }
    return *this;
}

bool temp_file::create_beside(const std::string& target, mode_t mode) {
    remove();
    // Registered before it is made: a termination signal never finds the
    // file made and not registered. A name that is taken already (a chance
    // in 62 to the sixth) is unregistered and another drawn.
    const temp_creation_step step;
    for (int tries = 0; tries < 100; ++tries) {
        path_ = atomic_temp_candidate(target);
        slot_ = temp_registry_add(path_);
        fd_ = sys_ops().make_temp(path_.c_str(), mode);
        if (fd_ >= 0) return true;
        const int error = errno;
        forget();
        if (error != EEXIST) break;
    }
    return false;
}

bool temp_file::create_in_memory(const char* name) {
    remove();
    fd_ = memfd_create(name, MFD_CLOEXEC);
    return fd_ >= 0;
}

bool temp_file::close() {
    if (fd_ < 0) return true;
    const bool ok = ::close(fd_) == 0;
    fd_ = -1;
    return ok;
}

bool temp_file::rename_to(const std::string& target) {
    if (path_.empty() || sys_ops().rename(path_.c_str(), target.c_str()) != 0) return false;
    close();
    forget();
    return true;
}

void temp_file::remove() {
    close();
    if (!path_.empty()) unlink(path_.c_str());
    forget();
}

void temp_file::forget() {
    path_.clear();
    temp_registry_remove(slot_);
    slot_ = -1;
}
