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

#include "setup/display_check.h"
#include "setup/registry_store.h"
#include "setup/setup_dialogs.h"
#include "setup/setup_text.h"
#include "setup/uninstaller.h"

namespace {

QString text_of(const std::string& text) {
    return QString::fromUtf8(text.data(), int(text.size()));
}

std::string product() {
    return std::string(setup_text::product);
}

// Says something, in a window when there is one, else on a stream.
void tell(setup_dialogs* dialogs, QMessageBox::Icon icon, const std::string& text) {
    if (dialogs != nullptr) {
        dialogs->message(nullptr, icon, text_of(text), {});
    } else {
        std::fprintf(icon == QMessageBox::Information ? stdout : stderr, "%s\n", text.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool yes = false;
    for (int i = 1; i < argc; ++i) yes = yes || std::strcmp(argv[i], "--yes") == 0;
    if (!yes && !display_available()) {
        std::fputs(
            "remove: no display to ask for confirmation; run \"remove --yes\" to remove "
            "Orvane 1.0b without asking.\n",
            stderr);
        return 1;
    }
    std::unique_ptr<QApplication> app;
    setup_dialogs_qt window_dialogs;
    setup_dialogs* dialogs = nullptr;
    if (!yes) {
        app = std::make_unique<QApplication>(argc, argv);
        dialogs = &window_dialogs;
    }

    registry_store store(registry_store::default_folder());
    uninstaller remover(store);
    if (!remover.load()) {
        tell(dialogs, QMessageBox::Warning, remover.message());
        return 1;
    }
    if (dialogs != nullptr &&
        !dialogs->question(nullptr, text_of("Do you want to remove " + product() + " from " +
                                            remover.install_folder() + " ?"))) {
        return 0;
    }
    if (!remover.run()) {
        tell(dialogs, QMessageBox::Warning,
             "Not everything could be removed: " + remover.message());
        return 1;
    }
    std::string report = product() + " has been removed.";
    for (const std::string& folder : remover.kept()) {
        report += "\nKept, as it holds files that were not installed: " + folder;
    }
    tell(dialogs, QMessageBox::Information, report);
    return 0;
}
