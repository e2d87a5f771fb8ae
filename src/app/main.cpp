// vorn1: one executable whose mode follows its own name and command line.
// Batch runs never touch the window toolkit: they need no display.
#include "app/program_entry.h"
#include "app/window_mode.h"

int main(int argc, char** argv) {
    entry_plan plan = plan_process(argc, argv);
    switch (plan.mode) {
        case entry_mode::none:
            return 0;
        case entry_mode::installer:
            return run_installer(argc, argv);
        case entry_mode::window:
            return run_window(argc, argv, plan.file.view());
        default:
            return run_batch(plan);
    }
}
