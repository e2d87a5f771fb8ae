// Installer mode: the program started under the name "setup" from its
// distribution folder.
#include <QApplication>

#include "desktop/display_session.h"
#include "desktop/guarded_run.h"
#include "desktop/product_title.h"
#include "desktop/qt_dialogs.h"
#include "files/vtfile.h"
#include "setup/TSetupForm.h"
#include "setup/debian_package.h"
#include "setup/registry_store.h"
#include "vorn1/desktop_modes.h"

int run_installer(int argc, char** argv) {
    std::unique_ptr<QApplication> app =
        open_display(argc, argv, "setup: no display: the installer needs a desktop session\n");
    if (!app) return 1;
    QApplication::setApplicationName(k_product_title);
    qt_dialogs dialogs;
    return run_with_failure_box(dialogs, [&] {
        registry_store store(registry_store::default_folder());
        // The distribution is the folder the installer was started from,
        // wherever the current folder is.
        TSetupForm form(dialogs, store, vtfile_program_folder().str(), debian_package_program());
        if (form.terminating()) return 1;
        form.show();
        return QApplication::exec();
    });
}
