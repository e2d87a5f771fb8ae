// dialogs: every message box, question, file or folder dialog and modal box
// of the window and the installer goes through this interface, so tests can
// answer in place of a user.
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
    // A message box captioned with the product title. detail, when not empty,
    // is shown below the text on request.
    virtual void message(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                         const QString& detail) = 0;
    // A Yes/No question with a question icon; true for Yes. default_button is
    // the answer the Return key gives.
    virtual bool question(QWidget* parent, const QString& text,
                          QMessageBox::StandardButton default_button) = 0;
    // Save, Discard or Cancel, asked before unsaved changes would be lost;
    // Save is the Return key's answer, Escape cancels.
    enum class save_answer { save, discard, cancel };
    virtual save_answer ask_save(QWidget* parent, const QString& text) = 0;
    // The chosen paths (one unless several were allowed); empty on cancel.
    virtual QStringList choose_files(QWidget* parent, const file_request& request) = 0;
    // The chosen folder, starting at start; empty on cancel.
    virtual QString choose_folder(QWidget* parent, const QString& title, const QString& start) = 0;
    // Shows a prepared dialog modally and returns when it is closed.
    virtual void show_modal(QDialog& dialog) = 0;

    // A warning box without detail.
    void warn(QWidget* parent, const QString& text) {
        message(parent, QMessageBox::Warning, text, QString());
    }
};
