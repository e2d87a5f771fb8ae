// The marker that tells other programs (the installer) that a main window is
// open. Every window holds a shared lock on one lock file in the user's
// runtime folder while it lives; the running check asks for the exclusive
// lock, which it gets only while no window holds its share. The system drops
// a process's lock when the process ends, however it ends, so only live
// windows count and nothing stale is left to clean up.
#pragma once

#include <QString>

class instance_lock {
  public:
    // Takes this window's share of the lock (held() says whether it could).
    instance_lock();
    ~instance_lock();
    instance_lock(const instance_lock&) = delete;
    instance_lock& operator=(const instance_lock&) = delete;

    bool held() const { return fd_ >= 0; }
    // Gives the share back; nothing when it is not held.
    void release();

  private:
    int fd_ = -1;
};

// Path of the main window's lock file.
QString main_window_lock_path();

// True while a live main window, in this process or another, holds its share.
bool main_window_running();
