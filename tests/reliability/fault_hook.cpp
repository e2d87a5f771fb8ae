// A library preloaded into the built program to stop it at one step of its
// work: the first call of a function (selected by ORVANE_FAULT_CALL) whose
// path contains ORVANE_FAULT_PATH, counted from ORVANE_FAULT_NTH (default
// 1), does ORVANE_FAULT_ACTION:
//   kill   the process is killed (SIGKILL) before the call
//   fail   the call fails with EIO
//   hold   the file ORVANE_FAULT_MARK is created, and the call waits until
//          the test removes it
// Functions on descriptors match the path the descriptor names.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool matches(const char* call, const char* path) {
    static int seen = 0;
    const char* wanted = std::getenv("ORVANE_FAULT_CALL");
    const char* part = std::getenv("ORVANE_FAULT_PATH");
    if (!wanted || std::strcmp(wanted, call) != 0 || !path) return false;
    if (part && !std::strstr(path, part)) return false;
    const char* nth = std::getenv("ORVANE_FAULT_NTH");
    return ++seen == (nth ? std::atoi(nth) : 1);
}

std::string path_of(int fd) {
    char link[64], path[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, path, sizeof path - 1);
    return n < 0 ? std::string() : std::string(path, static_cast<size_t>(n));
}

// True when the call is to fail.
bool strike(const char* call, const char* path) {
    if (!matches(call, path)) return false;
    const char* action = std::getenv("ORVANE_FAULT_ACTION");
    if (!action || std::strcmp(action, "kill") == 0) raise(SIGKILL);
    if (std::strcmp(action, "fail") == 0) {
        errno = EIO;
        return true;
    }
    if (const char* mark = std::getenv("ORVANE_FAULT_MARK")) {
        const int fd = ::open(mark, O_CREAT | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) ::close(fd);
        while (access(mark, F_OK) == 0) usleep(1000);
    }
    return false;
}

template <class F>
F next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int unlink(const char* path) {
    if (strike("unlink", path)) return -1;
    return next<int (*)(const char*)>("unlink")(path);
}

int rename(const char* from, const char* to) {
    if (strike("rename", to)) return -1;
    return next<int (*)(const char*, const char*)>("rename")(from, to);
}

int fdatasync(int fd) {
    if (strike("fdatasync", path_of(fd).c_str())) return -1;
    return next<int (*)(int)>("fdatasync")(fd);
}

int ftruncate(int fd, off_t length) {
    if (strike("ftruncate", path_of(fd).c_str())) return -1;
    return next<int (*)(int, off_t)>("ftruncate")(fd, length);
}

int syncfs(int fd) {
    if (strike("syncfs", path_of(fd).c_str())) return -1;
    return next<int (*)(int)>("syncfs")(fd);
}
}
