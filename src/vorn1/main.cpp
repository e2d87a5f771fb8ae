// vorn1: one program whose mode follows its own name and command line. It
// is built twice: as vorn1, which runs batch mode and links no window
// toolkit, and as the desktop program (ORVANE_DESKTOP), which vorn1 becomes
// for the window and the installer (desktop_handoff.h). Batch runs never
// touch the toolkit: they need no display. A build without Qt (ORVANE_GUI
// off) has no desktop program, and vorn1 says so when asked for a window.
#include "app/desktop_handoff.h"
#include "app/program_entry.h"
#if ORVANE_DESKTOP
#include "vorn1/desktop_modes.h"
#else
namespace {

int run_window(int, char** argv, std::string_view) {
    hand_to_desktop(argv, "vorn1");
    return 1;
}

int run_installer(int, char** argv) {
    hand_to_desktop(argv, "setup");
    return 1;
}

}  // namespace
#endif

int main(int argc, char** argv) {
#if ORVANE_DESKTOP
    take_front_path();
#endif
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
