// temp_file: a temporary file beside a target (temp_name.h), owned from its
// creation to its rename or removal: its path, its descriptor and its entry
// in the temp registry, so that a termination signal takes it along. The
// descriptor may be closed early (a run that stages thousands of files)
// while the file stays ours.
//
// An anonymous file in memory has a descriptor only: nothing to name,
// rename or take along.
#pragma once

#include <sys/types.h>

#include <string>

class temp_file {
  public:
    temp_file() = default;
    temp_file(const temp_file&) = delete;
    temp_file& operator=(const temp_file&) = delete;
    // The file becomes this object's; other is left without one.
    temp_file(temp_file&& other) noexcept;
    // Removes this object's file first.
    temp_file& operator=(temp_file&& other) noexcept;
    // Removes the file unless it was renamed.
    ~temp_file() { remove(); }

    // Creates the file beside target, open for reading and writing, with
    // the permission bits mode under the umask. False when it cannot be
    // made.
    bool create_beside(const std::string& target, mode_t mode = 0600);
    // Creates an anonymous file in memory, named name in /proc only. False
    // when it cannot be made.
    bool create_in_memory(const char* name);
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    // Whether there is a named file (an anonymous one is not).
    bool exists() const { return !path_.empty(); }
    // Closes the descriptor; false when the close failed.
    bool close();
    // Puts the file in target's place; from then on it is not ours.
    bool rename_to(const std::string& target);
    // Closes and removes the file, when there is one.
    void remove();

  private:
    void forget();

    int fd_ = -1;
    std::string path_;
    int slot_ = -1;  // in the temp registry
};
