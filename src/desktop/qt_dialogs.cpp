#include "desktop/qt_dialogs.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFileDialog>
#include <QScreen>

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

// A box in the middle of the window it belongs to (window managers place
// dialogs as they like, some at the screen's corner).
int shown_centred(QDialog& box, QWidget* parent) {
    if (parent && parent->window()->isVisible()) {
        box.adjustSize();
        const QRect owner = parent->window()->frameGeometry();
        box.move(owner.center() - QPoint(box.width() / 2, box.height() / 2));
    }
    return box.exec();
}

// Every button of a box carries its mnemonic.
void name_buttons(
    QMessageBox& box,
    std::initializer_list<std::pair<QMessageBox::StandardButton, const char*>> texts) {
    for (const auto& [button, text] : texts)
        if (QAbstractButton* b = box.button(button)) b->setText(QString::fromLatin1(text));
}

// A file dialog as large as working in it needs: two thirds of the screen,
// at most 1000 by 700.
void size_file_dialog(QFileDialog& dialog, QWidget* parent) {
    const QScreen* screen = parent ? parent->screen() : dialog.screen();
    if (!screen) return;
    const QSize room = screen->availableGeometry().size() * 2 / 3;
    dialog.resize(room.boundedTo(QSize(1000, 700)).expandedTo(dialog.minimumSizeHint()));
}

}  // namespace

void qt_dialogs::message(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                         const QString& detail) {
    QMessageBox box(icon, k_product_title, box_text(text), QMessageBox::Ok, parent);
    if (!detail.isEmpty()) box.setDetailedText(box_text(detail));
    shown_centred(box, parent);
}

bool qt_dialogs::question(QWidget* parent, const QString& text,
                          QMessageBox::StandardButton default_button) {
    QMessageBox box(QMessageBox::Question, k_product_title, box_text(text),
                    QMessageBox::Yes | QMessageBox::No, parent);
    name_buttons(box, {{QMessageBox::Yes, "&Yes"}, {QMessageBox::No, "&No"}});
    box.setDefaultButton(default_button);
    return shown_centred(box, parent) == QMessageBox::Yes;
}

dialogs::save_answer qt_dialogs::ask_save(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, k_product_title, box_text(text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    name_buttons(box, {{QMessageBox::Save, "&Save"},
                       {QMessageBox::Discard, "&Discard"},
                       {QMessageBox::Cancel, "&Cancel"}});
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (shown_centred(box, parent)) {
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
    size_file_dialog(dialog, parent);
    if (dialog.exec() != QDialog::Accepted) return {};
    return exact_paths(dialog.selectedFiles());
}

QString qt_dialogs::choose_folder(QWidget* parent, const QString& title, const QString& start) {
    QFileDialog dialog(parent, window_title(title), start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    size_file_dialog(dialog, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return exact_path(dialog.selectedFiles().front());
}

void qt_dialogs::show_modal(QDialog& dialog) {
    dialog.exec();
}
