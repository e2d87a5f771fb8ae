#include "desktop/qt_dialogs.h"

#include <QDialog>
#include <QFileDialog>

#include "desktop/box_text.h"
#include "desktop/byte_text.h"
#include "desktop/product_title.h"

namespace {

// Qt decodes the names it lists itself; the caller gets the paths on disk.
QStringList exact_paths(const QStringList& decoded) {
    QStringList paths;
    for (const QString& path : decoded) paths << exact_path(path);
    return paths;
}

}  // namespace

void qt_dialogs::message(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                         const QString& detail) {
    QMessageBox box(icon, k_product_title, box_text(text), QMessageBox::Ok, parent);
    if (!detail.isEmpty()) box.setDetailedText(box_text(detail));
    box.exec();
}

bool qt_dialogs::question(QWidget* parent, const QString& text,
                          QMessageBox::StandardButton default_button) {
    QMessageBox box(QMessageBox::Question, k_product_title, box_text(text),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(default_button);
    return box.exec() == QMessageBox::Yes;
}

dialogs::save_answer qt_dialogs::ask_save(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, k_product_title, box_text(text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Save:
            return save_answer::save;
        case QMessageBox::Discard:
            return save_answer::discard;
        default:
            return save_answer::cancel;
    }
}

QStringList qt_dialogs::choose_files(QWidget* parent, const file_request& request) {
    QFileDialog dialog(parent, request.title, request.directory);
    dialog.setNameFilters(request.filters);
    if (!request.filters.isEmpty()) dialog.selectNameFilter(request.filters.front());
    dialog.setDefaultSuffix(request.default_suffix);
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (request.multiple) {
            dialog.setFileMode(QFileDialog::ExistingFiles);
        } else {
            dialog.setFileMode(request.must_exist ? QFileDialog::ExistingFile
                                                  : QFileDialog::AnyFile);
        }
    }
    if (dialog.exec() != QDialog::Accepted) return {};
    return exact_paths(dialog.selectedFiles());
}

QString qt_dialogs::choose_folder(QWidget* parent, const QString& title, const QString& start) {
    QFileDialog dialog(parent, window_title(title), start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return exact_path(dialog.selectedFiles().front());
}

void qt_dialogs::show_modal(QDialog& dialog) {
    dialog.exec();
}
