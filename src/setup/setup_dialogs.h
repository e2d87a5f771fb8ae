// setup_dialogs: the message boxes and the folder browser of the installer
// and the uninstaller, behind one interface that tests replace.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

class setup_dialogs {
  public:
    virtual ~setup_dialogs() = default;
    // A message box captioned with the product title. detail, when not
    // empty, is shown below the message on request.
    virtual void message(QWidget* owner, QMessageBox::Icon icon, const QString& text,
                         const QString& detail) = 0;
    // A yes/no question; true for yes.
    virtual bool question(QWidget* owner, const QString& text) = 0;
    // Lets the user pick a folder, starting at start. False when cancelled.
    virtual bool browse_folder(QWidget* owner, const QString& title, const QString& start,
                               QString& chosen) = 0;
};

// The real dialogs.
class setup_dialogs_qt : public setup_dialogs {
  public:
    void message(QWidget* owner, QMessageBox::Icon icon, const QString& text,
                 const QString& detail) override;
    bool question(QWidget* owner, const QString& text) override;
    bool browse_folder(QWidget* owner, const QString& title, const QString& start,
                       QString& chosen) override;
};
