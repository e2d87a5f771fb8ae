// The installer mode of the program: the program started under the name
// "setup" from its distribution folder.
#include <QApplication>
#include <cstdio>
#include <exception>

#include "app/window_mode.h"
#include "core/vtfile.h"
#include "setup/TSetupForm.h"
#include "setup/display_check.h"
#include "setup/registry_store.h"
#include "setup/setup_dialogs.h"
#include "setup/setup_text.h"

int run_installer(int argc, char** argv) {
    if (!display_available()) {
        std::fputs("setup: no display: the installer needs a desktop session\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(setup_text::product.data()));
    setup_dialogs_qt dialogs;
    try {
        registry_store store(registry_store::default_folder());
        // The distribution is the folder the installer was started from,
        // wherever the current folder is.
        TSetupForm form(dialogs, store, vtfile_program_folder().str());
        if (form.terminating()) return 1;
        form.show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        dialogs.message(nullptr, QMessageBox::Critical, QString::fromLocal8Bit(error.what()), {});
        return 1;
    }
}
