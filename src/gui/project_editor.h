// project_editor: copies the controls of the two pages into a project record
// and back, and lays the page out for single and multiple files.
#pragma once

#include <QString>

#include "gui/main_controls.h"

class template_catalogue;
class toc_project;

class project_editor {
  public:
    // data_folder ends in a separator; template files are named relative to it.
    project_editor(const main_controls& controls, const template_catalogue& catalogue,
                   const QString& data_folder);

    // Empties the error text, sets every key from its control and normalises.
    void read_into(toc_project& project) const;
    // Shows the record in the controls and lays the page out for its kind.
    void write_from(const toc_project& project);

    // Shows the groups and buttons of the kind that is checked.
    void apply_mode_layout();
    // Single files: the destination is chosen only when the source is not
    // overwritten. Multiple files: nothing.
    void apply_destination_enabling();
    // Refills the template list with the catalogue's names.
    void fill_template_list();
    // The selected catalogue position, or -1.
    int selected_template() const;

  private:
    void write_sources(const toc_project& project);

    const main_controls& controls_;
    const template_catalogue& catalogue_;
    QString data_folder_;
};
