// qt_dialogs: the dialogs interface on Qt's message boxes and file dialogs.
#pragma once

#include "gui/dialogs.h"

class qt_dialogs : public dialogs {
  public:
    void message(QWidget* parent, const QString& text, QMessageBox::Icon icon) override;
    bool question(QWidget* parent, const QString& text) override;
    QStringList choose_files(QWidget* parent, const file_request& request) override;
    void show_modal(QDialog& dialog) override;
};
