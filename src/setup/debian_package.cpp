#include "setup/debian_package.h"

#include <sys/stat.h>

#include "setup/command_output.h"

namespace {

bool is(const std::string& path, mode_t kind) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

}  // namespace

std::string debian_package_program(std::string_view root) {
    const std::string program = std::string(root) + "/usr/bin/vorn1";
    if (is(program, S_IFREG) && is(std::string(root) + "/usr/share/orvane/vtdata", S_IFDIR))
        return program;
    // What dpkg records: "installed", another state, or nothing.
    const std::string state =
        command_output("dpkg-query -W -f='${db:Status-Status}' orvane 2>/dev/null");
    return state == "installed" ? "/usr/bin/vorn1" : std::string();
}
