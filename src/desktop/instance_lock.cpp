#include "desktop/instance_lock.h"

#include <QLockFile>
#include <QStandardPaths>

QString main_window_lock_path() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/TveltORV1.lock");
}

bool main_window_running() {
    QLockFile lock(main_window_lock_path());
    if (lock.tryLock(0)) {
        lock.unlock();
        return false;
    }
    return lock.error() == QLockFile::LockFailedError;
}
