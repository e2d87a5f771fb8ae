// source_list_editor: adding, removing and reordering the source files of a
// multiple-file project, and enabling the list's buttons. A page is listed
// once: one already in the list (however its path is spelt) is not added
// again, and the status line says so.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "gui/main_controls.h"

class dialogs;
class file_chooser;
class project_editor;

class source_list_editor : public QObject {
    Q_OBJECT
  public:
    using status_fn = std::function<void(const QString&)>;

    source_list_editor(const main_controls& controls, project_editor& editor,
                       dialogs& owner_dialogs, file_chooser& chooser, status_fn status);

    void add_files();
    // Adds every page under a chosen folder (folder_pages.h), or, when the
    // user says so, one pattern line that stands for them.
    void add_folder();
    void delete_files();
    void move_up();
    void move_down();
    void selection_changed();
    // Pages and folders dropped on the window: in single mode one page
    // becomes the source; anything else makes the project a multiple-file
    // one and is added (a folder's pages, in reading order).
    void drop(const QStringList& paths);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // First selected row and the number of selected rows; first is -1 when
    // nothing is selected.
    void selection_span(int& first, int& count) const;
    void show_count();
    // Appends the paths not listed yet; the status line gives the count, or
    // names what was listed already.
    void append(const QStringList& paths);
    // Offers folder's pages as one pattern line ("folder/**/*.html"); true
    // when the pattern row was added.
    bool add_as_pattern(const QString& folder, const QStringList& pages);

    const main_controls& controls_;
    project_editor& editor_;
    dialogs& dialogs_;
    file_chooser& chooser_;
    status_fn status_;
};
