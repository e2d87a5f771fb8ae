// vorn1: one executable whose mode follows its own name and command line.
// Batch runs never touch the window toolkit: they need no display. A build
// without Qt (ORVANE_GUI off) has batch mode only.
#include <cstdio>

#include "app/program_entry.h"
#if ORVANE_DESKTOP
#include "vorn1/desktop_modes.h"
#else
namespace {

int run_window(int, char**, std::string_view) {
    std::fputs("vorn1: the main window is not part of this build; use -command project_filename\n",
               stderr);
    return 1;
}

int run_installer(int, char**) {
    std::fputs("setup: the installer is not part of this build\n", stderr);
    return 1;
}

}  // namespace
#endif

int main(int argc, char** argv) {
    entry_plan plan = plan_process(argc, argv);
    switch (plan.mode) {
        case entry_mode::installer:
            return run_installer(argc, argv);
        case entry_mode::window:
            return run_window(argc, argv, plan.file.view());
        default:
            return run_batch(plan);
    }
}
