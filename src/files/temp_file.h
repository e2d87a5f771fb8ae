// temp_file: a temporary file beside a target (temp_name.h), owned from its
// creation to its rename or removal: its path, its descriptor and its entry
// in the temp registry, so that a termination signal takes it along.
#pragma once

#include <string>

class temp_file {
  public:
    temp_file() = default;
    temp_file(const temp_file&) = delete;
    temp_file& operator=(const temp_file&) = delete;
    // Removes the file unless it was renamed.
    ~temp_file() { remove(); }

    // Creates the file beside target, open for reading and writing, 0600.
    // False when it cannot be made.
    bool create_beside(const std::string& target);
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
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
