// dialogs: every message box, question, file dialog and modal box of the
// window goes through this interface, so tests can answer in place of a user.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

// What a file dialog is asked for.
struct file_request {
    bool save = false;        // save dialog (asks before overwriting)
    bool multiple = false;    // several files may be chosen
    bool must_exist = false;  // only existing files are accepted
    QString title;
    QStringList filters;  // the first one is preselected
    QString default_suffix;
    QString directory;  // initial folder; empty: the dialog's own choice
};

class dialogs {
  public:
    virtual ~dialogs() = default;
    // A message box captioned with the product title.
    virtual void message(QWidget* parent, const QString& text,
                         QMessageBox::Icon icon = QMessageBox::Warning) = 0;
    // A Yes/No question with a question icon; true for Yes.
    virtual bool question(QWidget* parent, const QString& text) = 0;
    // The chosen paths (one unless several were allowed); empty on cancel.
    virtual QStringList choose_files(QWidget* parent, const file_request& request) = 0;
    // Shows a prepared dialog modally and returns when it is closed.
    virtual void show_modal(QDialog& dialog) = 0;
};
