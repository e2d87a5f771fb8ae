// source_list_editor: adding, removing and reordering the source files of a
// multiple-file project, and enabling the list's buttons.
#pragma once

#include <QObject>
#include <functional>

#include "gui/main_controls.h"

class dialogs;
class file_chooser;

class source_list_editor : public QObject {
    Q_OBJECT
  public:
    using status_fn = std::function<void(const QString&)>;

    source_list_editor(const main_controls& controls, dialogs& owner_dialogs, file_chooser& chooser,
                       status_fn status);

    void add_files();
    void delete_files();
    void move_up();
    void move_down();
    void selection_changed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // First selected row and the number of selected rows; first is -1 when
    // nothing is selected.
    void selection_span(int& first, int& count) const;
    void show_count();

    const main_controls& controls_;
    dialogs& dialogs_;
    file_chooser& chooser_;
    status_fn status_;
};
