#include "app/desktop_handoff.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/vtfile.h"

namespace {

// Where vorn1 tells the desktop program its own path.
constexpr const char* kFrontVariable = "ORVANE_PROGRAM";

}  // namespace

std::string desktop_program_beside(std::string_view program_folder) {
    const std::string folder(program_folder);
    for (const std::string& path : {folder + std::string(kDesktopProgram),
                                    folder + "../lib/orvane/" + std::string(kDesktopProgram)}) {
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

void hand_to_desktop(char** argv, std::string_view name) {
    const std::string self = vtfile_exe_path().str();
    // Without its own path (no /proc) the program would look in the
    // current folder: it runs nothing from there.
    const std::string desktop =
        self.starts_with('/') ? desktop_program_beside(vtfile_program_folder().view()) : "";
    if (desktop.empty()) {
        std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(name.size()), name.data(),
                     name == "setup" ? "the installer is not part of this build"
                                     : "the main window is not part of this build; use "
                                       "-command project_filename");
        return;
    }
    setenv(kFrontVariable, self.c_str(), 1);
    execv(desktop.c_str(), argv);
    const int error = errno;
    unsetenv(kFrontVariable);
    std::fprintf(stderr, "%.*s: cannot start %s: %s\n", static_cast<int>(name.size()), name.data(),
                 desktop.c_str(), std::strerror(error));
}

void take_front_path() {
    const char* front = std::getenv(kFrontVariable);
    if (front == nullptr) return;
    vtfile_set_exe_path(front);
    unsetenv(kFrontVariable);
}
