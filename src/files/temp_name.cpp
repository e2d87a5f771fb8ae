#include "files/temp_name.h"

#include <fcntl.h>
#include <stdlib.h>

#include <cctype>

#include "files/file_ops.h"
#include "files/vtfile_path.h"

namespace {

constexpr std::string_view kTempSuffix = ".orvane-tmp";

}  // namespace

std::string atomic_temp_stem(std::string_view target_name) {
    // A name within NAME_MAX whatever the target's name.
    return std::string(target_name.substr(0, 200));
}

bool atomic_temp_parse(std::string_view entry, std::string_view& stem) {
    // "." + stem + "." + six letters or digits + suffix
    constexpr size_t kRandom = 6;
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

int atomic_temp_beside(const std::string& target, std::string& temp) {
    const std::string folder = vtfile_folder_of(target);
    const std::string name = atomic_temp_stem(target.substr(target.find_last_of('/') + 1));
    temp = (folder == "/" ? "" : folder) + "/." + name + ".XXXXXX" + std::string(kTempSuffix);
    const int fd =
        sys_ops().make_temp(temp.data(), static_cast<int>(kTempSuffix.size()), O_CLOEXEC);
    if (fd < 0) temp.clear();
    return fd;
}
