// qt_dialogs: the dialogs interface on Qt's message boxes and file dialogs.
#pragma once

#include "desktop/dialogs.h"

class qt_dialogs : public dialogs {
  public:
    void message(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                 const QString& detail) override;
    bool question(QWidget* parent, const QString& text,
                  QMessageBox::StandardButton default_button) override;
    save_answer ask_save(QWidget* parent, const QString& text) override;
    QStringList choose_files(QWidget* parent, const file_request& request) override;
    QString choose_folder(QWidget* parent, const QString& title, const QString& start) override;
    void show_modal(QDialog& dialog) override;
};
