// Scratch folders and privilege-dropping helpers for the file tests.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <grp.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

#include "support/temp_folder.h"

namespace file_test {

namespace fs = std::filesystem;

// A fresh folder that others (the unprivileged child of a test) can enter.
class scratch_dir : public temp_folder {
  public:
    scratch_dir() { chmod(path().c_str(), 0777); }
    std::string operator/(std::string_view name) const { return file(name); }
};

inline void put(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline int entry_count(const std::string& folder) {
    int n = 0;
    for (auto& e : fs::directory_iterator(folder)) {
        (void)e;
        ++n;
    }
    return n;
}

// Runs body in a child process (so limits and signal settings stay there) and
// returns its result (0 to 254), or -1 when the child did not finish. With
// drop_privileges a root child first becomes the user "nobody", since
// permission checks do not bind root; -1 when that fails.
inline int run_in_child(const std::function<int()>& body, bool drop_privileges = false) {
    pid_t pid = fork();
    if (pid == 0) {
        if (drop_privileges && geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(255);
        }
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 255) return -1;
    return WEXITSTATUS(status);
}

inline int run_unprivileged(const std::function<int()>& body) {
    return run_in_child(body, true);
}

}  // namespace file_test
