#include "setup/debian_package.h"

#include <sys/stat.h>

#include <cstdio>

namespace {

bool is(const std::string& path, mode_t kind) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

// What dpkg-query says of the package: "installed", another state, or empty
// when it cannot be asked.
std::string package_state() {
    FILE* pipe = popen("dpkg-query -W -f='${db:Status-Status}' orvane 2>/dev/null", "r");
    if (pipe == nullptr) return {};
    std::string state;
    char chunk[256];
    while (fgets(chunk, sizeof chunk, pipe) != nullptr) state += chunk;
    pclose(pipe);
    return state;
}

}  // namespace

std::string debian_package_program(std::string_view root) {
    const std::string program = std::string(root) + "/usr/bin/vorn1";
    if (is(program, S_IFREG) && is(std::string(root) + "/usr/share/orvane/vtdata", S_IFDIR))
        return program;
    return package_state() == "installed" ? "/usr/bin/vorn1" : std::string();
}
