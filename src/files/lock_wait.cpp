#include "files/lock_wait.h"

#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::chrono::seconds wait_limit() {
    if (const char* given = std::getenv("VORN1_LOCK_WAIT")) {
        char* end = nullptr;
        const long seconds = std::strtol(given, &end, 10);
        if (end != given && *end == '\0' && seconds >= 0) return std::chrono::seconds(seconds);
    }
    return std::chrono::minutes(1);
}

// The name with control bytes shown as '?': it goes to a terminal.
std::string plain(std::string_view name) {
    std::string shown(name);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return shown;
}

}  // namespace

bool vtfile_lock(int fd, int operation, std::string_view shown) {
    if (flock(fd, operation | LOCK_NB) == 0 || errno != EWOULDBLOCK) return true;
    using clock = std::chrono::steady_clock;
    const clock::time_point start = clock::now();
    const clock::time_point end = start + wait_limit();
    bool told = false;
    for (useconds_t pause = 1000;; pause = pause < 100000 ? pause * 2 : pause) {
        if (flock(fd, operation | LOCK_NB) == 0 || errno != EWOULDBLOCK) return true;
        const clock::time_point now = clock::now();
        if (!told && now - start >= std::chrono::seconds(1)) {
            std::fprintf(stderr, "Waiting for %s, held by another program\u2026\n",
                         plain(shown).c_str());
            told = true;
        }
        if (now >= end) return false;
        usleep(pause);
    }
}
