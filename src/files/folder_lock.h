// folder_lock: the lock by which runs that write into one folder take turns.
//
// A lock on the folder itself could be held by anyone who may read it, so
// the lock is a file in the folder, ".orvane-lock", that only those who may
// write the folder can open: 0600, plus read and write for the group or for
// others when the folder lets them write. A writing run creates it if
// needed, holds it exclusively and removes it when it ends (a termination
// signal takes it too), so that no such file stays among the pages. A run
// that waits for it and then finds it gone or replaced starts again.
//
// A check writes nothing: it takes a shared lock on the file if there is one
// it may read, and else reads without one.
#pragma once

#include <string>

#include "files/vtfile_handle.h"

class folder_lock {
  public:
    static constexpr const char* kName = ".orvane-lock";

    enum class outcome {
        taken,     // held until this object ends
        unlocked,  // no lock to take (a check without one, a folder we may not write)
        held,      // another program held it too long (lock_wait.h)
        refused,   // something other than a lock file of ours is at the name
    };

    folder_lock() = default;
    folder_lock(folder_lock&& other) noexcept;
    folder_lock& operator=(folder_lock&&) = delete;
    folder_lock(const folder_lock&) = delete;
    folder_lock& operator=(const folder_lock&) = delete;
    // Removes the lock file (exclusive locks), then lets it go.
    ~folder_lock();

    // Locks the folder open as folder, named path: exclusively, or shared
    // for a check. Waits, as lock_wait.h says, naming the folder.
    outcome take(vtfile_handle folder, const std::string& path, bool exclusive);

    // The lock file's path for a folder.
    static std::string path_in(const std::string& folder);

  private:
    outcome open_lock_file(bool exclusive, int& fd) const;

    vtfile_handle folder_;
    vtfile_handle file_;
    std::string path_;  // of the lock file, while registered for signals
    int slot_ = -1;     // in the temp registry
    bool remove_ = false;
};
