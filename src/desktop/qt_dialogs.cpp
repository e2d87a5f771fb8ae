#include "desktop/qt_dialogs.h"

#include <QDialog>
#include <QFileDialog>

#include "desktop/product_title.h"

namespace {

// Messages carry CR LF line ends; the box wants plain line feeds.
QString shown(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

void qt_dialogs::message(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                         const QString& detail) {
    QMessageBox box(icon, k_product_title, shown(text), QMessageBox::Ok, parent);
    if (!detail.isEmpty()) box.setDetailedText(shown(detail));
    box.exec();
}

bool qt_dialogs::question(QWidget* parent, const QString& text,
                          QMessageBox::StandardButton default_button) {
    QMessageBox box(QMessageBox::Question, k_product_title, shown(text),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(default_button);
    return box.exec() == QMessageBox::Yes;
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
    return dialog.selectedFiles();
}

QString qt_dialogs::choose_folder(QWidget* parent, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, title, start);
}

void qt_dialogs::show_modal(QDialog& dialog) {
    dialog.exec();
}
