#include "setup/running_check.h"

#include <QLockFile>

#include "gui/instance_lock.h"

bool main_window_running() {
    QLockFile lock(main_window_lock_path());
    // A lock left by a process that has died is taken over, so only a live
    // window counts.
    if (lock.tryLock(0)) {
        lock.unlock();
        return false;
    }
    return lock.error() == QLockFile::LockFailedError;
}
