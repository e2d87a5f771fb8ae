#include "setup/setup_dialogs.h"

#include <QFileDialog>

#include "setup/setup_text.h"

namespace {

QString caption() {
    return QString::fromUtf8(setup_text::product.data(),
                             static_cast<int>(setup_text::product.size()));
}

}  // namespace

void setup_dialogs_qt::message(QWidget* owner, QMessageBox::Icon icon, const QString& text,
                               const QString& detail) {
    QMessageBox box(icon, caption(), text, QMessageBox::Ok, owner);
    if (!detail.isEmpty()) box.setDetailedText(detail);
    box.exec();
}

bool setup_dialogs_qt::question(QWidget* owner, const QString& text) {
    return QMessageBox::question(owner, caption(), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool setup_dialogs_qt::browse_folder(QWidget* owner, const QString& title, const QString& start,
                                     QString& chosen) {
    QString folder = QFileDialog::getExistingDirectory(owner, title, start);
    if (folder.isEmpty()) return false;
    chosen = folder;
    return true;
}
