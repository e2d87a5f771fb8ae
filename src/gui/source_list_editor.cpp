#include "gui/source_list_editor.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <QRadioButton>
#include <unordered_set>

#include "desktop/byte_text.h"
#include "desktop/dialogs.h"
#include "files/vtfile.h"
#include "files/vtfile_path.h"
#include "gui/file_chooser.h"
#include "gui/folder_pages.h"
#include "gui/pattern_rows.h"
#include "gui/project_editor.h"
#include "project/project_paths.h"

source_list_editor::source_list_editor(const main_controls& controls, project_editor& editor,
                                       dialogs& owner_dialogs, file_chooser& chooser,
                                       status_fn status)
    : controls_(controls),
      editor_(editor),
      dialogs_(owner_dialogs),
      chooser_(chooser),
      status_(std::move(status)) {
    QListWidget* list = controls_.source_list;
    list->installEventFilter(this);
    connect(list, &QListWidget::itemSelectionChanged, this, &source_list_editor::selection_changed);
    connect(controls_.add_files, &QPushButton::clicked, this, &source_list_editor::add_files);
    connect(controls_.add_folder, &QPushButton::clicked, this, &source_list_editor::add_folder);
    connect(controls_.delete_files, &QPushButton::clicked, this, &source_list_editor::delete_files);
    connect(controls_.move_up, &QPushButton::clicked, this, &source_list_editor::move_up);
    connect(controls_.move_down, &QPushButton::clicked, this, &source_list_editor::move_down);
}

void source_list_editor::show_count() {
    status_(QStringLiteral("Total source files: %1").arg(controls_.source_list->count()));
}

void source_list_editor::selection_span(int& first, int& count) const {
    const QListWidget* list = controls_.source_list;
    first = -1;
    count = 0;
    for (int row = 0; row < list->count(); ++row) {
        if (!list->item(row)->isSelected()) continue;
        if (first < 0) first = row;
        ++count;
    }
}

void source_list_editor::add_files() {
    QListWidget* list = controls_.source_list;
    chooser_.set_title(QStringLiteral("Open source files for building ToC"));
    chooser_.set_filter(file_chooser::filter_list::html);
    chooser_.take_directory_from(list->count() > 0 ? list->item(0)->text()
                                                   : controls_.destination_field->text());
    const QStringList chosen =
        chooser_.show_open(list->window(), file_chooser::must_exist | file_chooser::multiple);
    if (chosen.isEmpty()) return;
    append(chosen);
}

void source_list_editor::add_folder() {
    QListWidget* list = controls_.source_list;
    chooser_.take_directory_from(list->count() > 0 ? list->item(list->count() - 1)->text()
                                                   : controls_.destination_field->text());
    const QString folder =
        dialogs_.choose_folder(list->window(), QStringLiteral("Add the HTML pages of a folder"),
                               chooser_.last_directory());
    if (folder.isEmpty()) return;
    chooser_.set_last_directory(folder);
    QStringList pages;
    for (const std::string& page : folder_pages(byte_text(folder))) pages << qt_text(page);
    if (pages.isEmpty()) {
        status_(QStringLiteral("No HTML pages in ") + folder);
        return;
    }
    append(pages);
}

void source_list_editor::append(const QStringList& paths) {
    QListWidget* list = controls_.source_list;
    const std::string base = editor_.base_folder();
    auto key = [&](const QString& path) {
        return vtfile_normal_path(resolved_path(byte_text(path), base));
    };
    std::unordered_set<std::string> listed;
    for (int row = 0; row < list->count(); ++row) listed.insert(key(row_line(list->item(row))));
    QStringList fresh;
    QStringList refused;
    for (const QString& path : paths) (listed.insert(key(path)).second ? fresh : refused) << path;
    list->addItems(fresh);
    if (refused.isEmpty()) {
        show_count();
        return;
    }
    QString line = QStringLiteral("Already in the list, not added again: ") + refused.front();
    if (refused.size() > 1) line += QStringLiteral(" and %1 more").arg(refused.size() - 1);
    status_(line);
}

namespace {

bool is_folder(const QString& path) {
    vtfile_node info;
    return vtfile_info(byte_text(path), info) && info.is_directory;
}

}  // namespace

void source_list_editor::drop(const QStringList& paths) {
    if (paths.isEmpty()) return;
    if (controls_.single->isChecked() && paths.size() == 1 && !is_folder(paths.front())) {
        controls_.source_field->setText(paths.front());
        return;
    }
    if (controls_.single->isChecked()) {
        controls_.multiple->setChecked(true);
        editor_.apply_mode_layout();
    }
    QStringList pages;
    for (const QString& path : paths) {
        if (!is_folder(path)) {
            pages << path;
            continue;
        }
        for (const std::string& page : folder_pages(byte_text(path))) pages << qt_text(page);
    }
    append(pages);
}

void source_list_editor::delete_files() {
    QListWidget* list = controls_.source_list;
    int first = 0;
    int count = 0;
    selection_span(first, count);
    if (first < 0) {
        dialogs_.warn(list->window(), QStringLiteral("No items selected"));
    } else if (dialogs_.question(
                   list->window(),
                   QStringLiteral(
                       "Are you sure you wish to remove selected files from the project?"),
                   QMessageBox::Yes)) {
        for (int row = list->count() - 1; row >= 0; --row)
            if (list->item(row)->isSelected()) delete list->takeItem(row);
        show_count();
    }
    list->setFocus();
}

void source_list_editor::move_up() {
    QListWidget* list = controls_.source_list;
    int first = 0;
    int count = 0;
    selection_span(first, count);
    if (first == 0) {
        controls_.move_up->setEnabled(false);
    } else if (first > 0) {
        QListWidgetItem* row = list->takeItem(first - 1);
        list->insertItem(first - 1 + count, row);
        row->setSelected(false);
    }
    list->setFocus();
}

void source_list_editor::move_down() {
    QListWidget* list = controls_.source_list;
    int first = 0;
    int count = 0;
    selection_span(first, count);
    if (first < 0) {
        // Nothing selected: nothing to move.
    } else if (first + count >= list->count()) {
        controls_.move_down->setEnabled(false);
    } else {
        QListWidgetItem* row = list->takeItem(first + count);
        list->insertItem(first, row);
        row->setSelected(false);
    }
    list->setFocus();
}

void source_list_editor::selection_changed() {
    const QListWidget* list = controls_.source_list;
    int first = 0;
    int count = 0;
    selection_span(first, count);
    controls_.delete_files->setEnabled(first >= 0);
    if (first < 0) {
        controls_.move_up->setEnabled(false);
        controls_.move_down->setEnabled(false);
        return;
    }
    if (!list->item(0)->isSelected()) controls_.move_up->setEnabled(true);
    if (!list->item(list->count() - 1)->isSelected()) controls_.move_down->setEnabled(true);
}

bool source_list_editor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == controls_.source_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        delete_files();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
