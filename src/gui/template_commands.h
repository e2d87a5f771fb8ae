// template_commands: "Edit template" and "Template description" for the
// template selected in the list.
#pragma once

#include <QObject>
#include <QString>

#include "gui/main_controls.h"

class TDescriptionBox;
class dialogs;
class project_editor;
class shell_launcher;
class template_catalogue;

class template_commands : public QObject {
    Q_OBJECT
  public:
    template_commands(const main_controls& controls, const template_catalogue& catalogue,
                      const project_editor& editor, const QString& data_folder,
                      dialogs& owner_dialogs, shell_launcher& shell, TDescriptionBox& box);

    // Opens the selected template file; nothing without a selection.
    void BitBtn7Click();
    // Shows the selected template's description; nothing without a selection.
    void Label3Click();

  private:
    const main_controls& controls_;
    const template_catalogue& catalogue_;
    const project_editor& editor_;
    QString data_folder_;
    dialogs& dialogs_;
    shell_launcher& shell_;
    TDescriptionBox& box_;
};
