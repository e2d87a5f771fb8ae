#include "files/temp_name.h"

#include <pthread.h>
#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdint>

#include "files/file_ops.h"
#include "files/vtfile_path.h"

namespace {

constexpr std::string_view kTempSuffix = ".orvane-tmp";
constexpr size_t kRandom = 6;

uint64_t mix(uint64_t x) {
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

std::atomic<uint64_t> g_seed{0};
std::atomic<uint64_t> g_drawn{0};

// A fresh seed; also in the child of a fork, whose names would otherwise
// follow its parent's.
void reseed() {
    uint64_t s = 0;
    if (getrandom(&s, sizeof s, GRND_NONBLOCK) != sizeof s) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        s = static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(getpid()) << 32);
    }
    g_seed.store(s);
}

// Six letters or digits, drawn from a sequence seeded once a process: no
// system call a name.
std::string random_part() {
    static const bool seeded = [] {
        reseed();
        pthread_atfork(nullptr, nullptr, reseed);
        return true;
    }();
    (void)seeded;
    uint64_t x = mix(g_seed.load(std::memory_order_relaxed) + 0x9e3779b97f4a7c15ull * ++g_drawn);
    static constexpr std::string_view kChars =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string part(kRandom, ' ');
    for (char& c : part) {
        c = kChars[x % kChars.size()];
        x /= kChars.size();
    }
    return part;
}

}  // namespace

std::string atomic_temp_stem(std::string_view target_name) {
    // A name within NAME_MAX whatever the target's name.
    return std::string(target_name.substr(0, 200));
}

bool atomic_temp_parse(std::string_view entry, std::string_view& stem) {
    // "." + stem + "." + six letters or digits + suffix
    if (entry.size() < 2 + 1 + kRandom + kTempSuffix.size() || entry[0] != '.' ||
        !entry.ends_with(kTempSuffix))
        return false;
    const size_t random_at = entry.size() - kTempSuffix.size() - kRandom;
    if (entry[random_at - 1] != '.') return false;
    for (size_t i = random_at; i < random_at + kRandom; ++i)
        if (!std::isalnum(static_cast<unsigned char>(entry[i]))) return false;
    stem = entry.substr(1, random_at - 2);
    return !stem.empty();
}

std::string atomic_temp_candidate(const std::string& target) {
    const std::string folder = vtfile_folder_of(target);
    const std::string name = atomic_temp_stem(target.substr(target.find_last_of('/') + 1));
    return (folder == "/" ? "" : folder) + "/." + name + '.' + random_part() +
           std::string(kTempSuffix);
}

int atomic_temp_beside(const std::string& target, std::string& temp, mode_t mode) {
    for (int tries = 0; tries < 100; ++tries) {
        temp = atomic_temp_candidate(target);
        const int fd = sys_ops().make_temp(temp.c_str(), mode);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    temp.clear();
    return -1;
}
