#include "desktop/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QStandardPaths>
#include <cerrno>

#include "desktop/byte_text.h"

instance_lock::instance_lock() {
    const std::string path = byte_text(main_window_lock_path());
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // Waits only while a running check holds the exclusive lock for a moment.
    if (fd_ >= 0 && ::flock(fd_, LOCK_SH) != 0) release();
}

instance_lock::~instance_lock() {
    release();
}

void instance_lock::release() {
    if (fd_ < 0) return;
    // Closing drops the share; the file stays for the other windows.
    ::close(fd_);
    fd_ = -1;
}

QString main_window_lock_path() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/TveltORV1.lock");
}

bool main_window_running() {
    const std::string path = byte_text(main_window_lock_path());
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;  // no window has ever run in this session
    const bool taken = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // also drops the exclusive lock when it was granted
    return taken;
}
