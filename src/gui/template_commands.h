// template_commands: "Edit template" and "Template description" for the
// template selected in the list.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "gui/main_controls.h"

class TDescriptionBox;
class dialogs;
class project_editor;
class shell_launcher;
class template_catalogue;

class template_commands : public QObject {
    Q_OBJECT
  public:
    using status_fn = std::function<void(const QString&)>;

    // shipped_read_only: the data folder belongs to an installed package,
    // whose templates are never edited in place.
    template_commands(const main_controls& controls, const template_catalogue& catalogue,
                      project_editor& editor, bool shipped_read_only, dialogs& owner_dialogs,
                      shell_launcher& shell, TDescriptionBox& box, status_fn status);

    // Opens the selected template in a text editor; a shipped template that
    // may not be changed is first copied to the user's template folder, and
    // the catalogue entry then stands for the copy. Nothing without a
    // selection.
    void BitBtn7Click();
    // Shows the selected template's description (for a template of the
    // user's own: its path); nothing without a selection.
    void Label3Click();

  private:
    // The file to edit for catalogue entry index: its own, or the user's
    // copy made now. Empty (with a message shown) when no copy can be made.
    QString editable_file(int index);

    const main_controls& controls_;
    const template_catalogue& catalogue_;
    project_editor& editor_;
    bool shipped_read_only_;
    dialogs& dialogs_;
    shell_launcher& shell_;
    TDescriptionBox& box_;
    status_fn status_;
};
