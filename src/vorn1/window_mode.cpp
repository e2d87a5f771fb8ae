// Window mode: the application object, the main window and its message loop.
#include <QApplication>

#include "desktop/byte_text.h"
#include "desktop/display_session.h"
#include "desktop/guarded_run.h"
#include "desktop/product_title.h"
#include "desktop/qt_dialogs.h"
#include "gui/TveltORV1.h"
#include "gui/system_shell.h"
#include "vorn1/desktop_modes.h"

int run_window(int argc, char** argv, std::string_view preset_file) {
    std::unique_ptr<QApplication> app =
        open_display(argc, argv, "no display: use -command project_filename for a batch build\n");
    if (!app) return 1;
    QApplication::setApplicationName(k_product_title);
    QApplication::setApplicationDisplayName(QString());
    qt_dialogs dialogs;
    return run_guarded(dialogs, [&] {
        system_shell shell;
        TveltORV1 window(program_paths::locate(QApplication::applicationDirPath()), dialogs, shell);
        if (window.terminating()) return 0;
        window.preset_single_file(qt_text(preset_file));
        window.show();
        return QApplication::exec();
    });
}
