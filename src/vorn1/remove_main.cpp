// remove: the uninstaller of the distribution.
//
//   remove          asks in a window, then removes the installation
//   remove --yes    removes it without asking (for scripts)
//
// Without a display and without --yes it only says how to run it. Exit code
// 0 when removed (or when the user declined), 1 on any failure.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "core/product_title.h"
#include "desktop/byte_text.h"
#include "desktop/display_session.h"
#include "desktop/qt_dialogs.h"
#include "setup/registry_store.h"
#include "setup/uninstaller.h"

namespace {

// Says something, in a window when there is one, else on a stream.
void tell(dialogs* boxes, QMessageBox::Icon icon, const std::string& text) {
    if (boxes != nullptr) {
        boxes->message(nullptr, icon, qt_text(text), QString());
    } else {
        std::fprintf(icon == QMessageBox::Information ? stdout : stderr, "%s\n", text.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool yes = false;
    for (int i = 1; i < argc; ++i) yes = yes || std::strcmp(argv[i], "--yes") == 0;
    const std::string product(kProductTitle);
    std::unique_ptr<QApplication> app;
    qt_dialogs window_dialogs;
    dialogs* boxes = nullptr;
    if (!yes) {
        const std::string no_display =
            "remove: no display to ask for confirmation; run \"remove --yes\" to remove " +
            product + " without asking.\n";
        app = open_display(argc, argv, no_display);
        if (!app) return 1;
        boxes = &window_dialogs;
    }

    registry_store store(registry_store::default_folder());
    uninstaller remover(store);
    if (!remover.load()) {
        tell(boxes, QMessageBox::Warning, remover.message());
        return 1;
    }
    if (boxes != nullptr && !boxes->question(nullptr,
                                             qt_text("Do you want to remove " + product + " from " +
                                                     remover.install_folder() + " ?"),
                                             QMessageBox::No)) {
        return 0;
    }
    if (!remover.run()) {
        tell(boxes, QMessageBox::Warning, "Not everything could be removed: " + remover.message());
        return 1;
    }
    std::string report = product + " has been removed.";
    for (const std::string& folder : remover.kept()) {
        report += "\nKept, as it holds files that were not installed: " + folder;
    }
    tell(boxes, QMessageBox::Information, report);
    return 0;
}
