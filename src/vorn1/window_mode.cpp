// Window mode: the application object, the main window and its message loop.
#include <QApplication>
#include <QIcon>

#include "app/program_entry.h"
#include "app/progress_line.h"
#include "desktop/byte_text.h"
#include "desktop/display_session.h"
#include "desktop/guarded_run.h"
#include "desktop/qt_dialogs.h"
#include "files/lock_wait.h"
#include "files/temp_registry.h"
#include "files/vtfile.h"
#include "gui/TveltORV1.h"
#include "gui/system_shell.h"
#include "vorn1/desktop_modes.h"

int run_window(int argc, char** argv, std::string_view preset_file) {
    std::unique_ptr<QApplication> app =
        open_display(argc, argv, "no display: use -command project_filename for a batch build\n");
    if (!app) return 1;
    // A termination signal takes the temporary files of a build or a save
    // along, as in batch mode.
    temp_registry_handle_signals();
    vtfile_set_restore_teller(tell_restored);
    vtfile_set_wait_teller(tell_waiting_for);
    // The window's class (WM_CLASS "vorn1", "vorn1" on X11) is what the menu
    // entries name as StartupWMClass, so docks show the program's icon.
    QApplication::setApplicationName(QStringLiteral("vorn1"));
    QApplication::setApplicationDisplayName(QString());
    qt_dialogs dialogs;
    return run_with_failure_box(dialogs, [&] {
        system_shell shell;
        // vorn1's folder, not this program's: its data lies beside vorn1.
        const program_paths paths = program_paths::locate(qt_text(vtfile_program_folder().view()));
        QApplication::setWindowIcon(QIcon(paths.icon_file));
        // Wayland matches the window to its menu entry by the entry's name:
        // the package's, or the one a setup installation made.
        QApplication::setDesktopFileName(paths.shared_data ? QStringLiteral("org.orvane.Orvane")
                                                           : QStringLiteral("velt-orvane-vorn1"));
        TveltORV1 window(paths, dialogs, shell);
        if (window.terminating()) return 0;
        window.preset_single_file(qt_text(preset_file));
        window.show();
        return QApplication::exec();
    });
}
