// Window mode: the application object, the main window and its message loop.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <cstdio>
#include <exception>

#include "app/window_mode.h"
#include "gui/TveltORV1.h"
#include "gui/gui_text.h"
#include "gui/qt_dialogs.h"
#include "gui/system_shell.h"

namespace {

bool display_available() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

int run_loop(QApplication& app, std::string_view preset_file) {
    qt_dialogs dialogs;
    system_shell shell;
    const program_paths paths = program_paths::locate(QApplication::applicationDirPath());
    QApplication::setWindowIcon(QIcon(paths.icon_file));
    TveltORV1 window(paths, dialogs, shell);
    if (window.terminating()) return 0;
    window.preset_single_file(qt_text(preset_file));
    window.show();
    return app.exec();
}

}  // namespace

int run_window(int argc, char** argv, std::string_view preset_file) {
    if (!display_available()) {
        std::fputs("no display: use -command project_filename for a batch build\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(k_product_title);
    QApplication::setApplicationDisplayName(QString());
    // Desktops match the window to the package's menu entry (and its icon)
    // by this name.
    QApplication::setDesktopFileName(QStringLiteral("org.orvane.Orvane"));
    try {
        run_loop(app, preset_file);
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, k_product_title, QString::fromUtf8(error.what()));
    }
    return 0;
}
