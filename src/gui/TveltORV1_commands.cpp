// The commands of the main window: project files, recent projects, build and
// clear, viewing the result, templates and help.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <algorithm>

#include "desktop/byte_text.h"
#include "desktop/dialogs.h"
#include "desktop/product_title.h"
#include "files/vtfile.h"
#include "files/vtfile_path.h"
#include "gui/TAboutBox.h"
#include "gui/TveltORV1.h"
#include "gui/build_runner.h"
#include "gui/help_context.h"
#include "gui/project_editor.h"
#include "gui/project_form.h"
#include "gui/recent_menu.h"
#include "gui/shell_launcher.h"
#include "project/project_paths.h"

namespace {

const QString k_web_site = QStringLiteral("https://orvane.org/");

// The part after the last path separator (slash, or a backslash from a
// project written elsewhere); all of it when there is none.
QString after_last_separator(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

}  // namespace

void TveltORV1::warn(const QString& text) {
    dialogs_.warn(this, text);
}

void TveltORV1::set_status(const QString& text) {
    status_label_->setText(text);
}

void TveltORV1::update_caption() {
    const QString name = project_path_.isEmpty() ? QStringLiteral("New project")
                                                 : after_last_separator(project_path_);
    // "[*]" shows as the desktop's mark of unsaved changes, when there are.
    setWindowTitle(k_product_title + QStringLiteral(" - ") + name + QStringLiteral("[*]"));
}

void TveltORV1::read_record() {
    editor_->read_into(project_);
}

void TveltORV1::show_record() {
    editor_->write_from(project_);
    set_view_result_enabled(false);
}

void TveltORV1::mark_saved() {
    editor_->read_into(saved_);
    setWindowModified(false);
}

bool TveltORV1::unsaved_changes() const {
    toc_project shown;
    editor_->read_into(shown);
    return !shown.same_settings(saved_);
}

void TveltORV1::update_modified() {
    setWindowModified(unsaved_changes());
}

// Before the project is replaced or the window closes: true when that may
// go ahead (nothing unsaved, discarded, or saved), false when the user
// cancelled or the save failed.
bool TveltORV1::settle_changes() {
    if (!unsaved_changes()) return true;
    switch (dialogs_.ask_save(this,
                              QStringLiteral("The project has unsaved changes. Do you want to save "
                                             "them?"))) {
        case dialogs::save_answer::save:
            return save_project();
        case dialogs::save_answer::discard:
            return true;
        default:
            return false;
    }
}

void TveltORV1::set_project_path(const QString& path) {
    project_path_ = path;
    chooser_.set_base_folder(qt_text(project_folder()));
    editor_->set_base_folder(project_folder());
    update_caption();
}

std::string TveltORV1::project_folder() const {
    return project_folder_of(byte_text(project_path_));
}

void TveltORV1::warn_open_failure(const QString& text) {
    warn(shell_.failure_text(text));
}

void TveltORV1::set_view_result_enabled(bool enabled) {
    view_result_action_->setEnabled(enabled);
    view_result_button_->setEnabled(enabled);
}

void TveltORV1::enter_recent() {
    recent_->enter(project_path_);
}

const QStringList& TveltORV1::recent() const {
    return recent_->entries();
}

bool TveltORV1::load_catalogue() {
    if (!catalogue_.load(byte_text(paths_.data_folder))) return false;
    editor_->fill_template_list();
    return true;
}

void TveltORV1::preset_single_file(const QString& path) {
    if (path.isEmpty()) return;
    project_.is_single = vtval::make_bool(true);
    project_.source.clear();
    // The page named is the page built, wherever the project is saved later.
    project_.source.push_back(
        vtval(resolved_path(byte_text(path), vtfile_current_folder().view())));
    project_.is_dest_as_source = vtval::make_bool(true);
    show_record();
    mark_saved();
}

// Loads path as the project; on failure the project shown stays as it was
// and the message names the file and the reader's reason.
bool TveltORV1::open_project(const QString& path, const QString& status) {
    toc_project loaded;
    if (loaded.load(byte_text(path)) != 0) {
        warn(QStringLiteral("Can't read project file: ") + path + QStringLiteral("\r\n") +
             qt_text(loaded.error_message.view()));
        return false;
    }
    enter_recent();
    set_project_path(path);
    project_ = loaded;
    show_record();
    mark_saved();
    set_status(status);
    return true;
}

void TveltORV1::NewProject1Click() {
    if (!running() && settle_changes()) new_project();
}

void TveltORV1::new_project() {
    enter_recent();
    project_.reset();
    show_record();
    set_project_path(QString());
    mark_saved();
    set_status(QStringLiteral("Project settings are cleared"));
}

void TveltORV1::OpenProject1Click() {
    if (running() || !settle_changes()) return;
    chooser_.set_title(QStringLiteral("Open project settings file"));
    chooser_.set_filter(file_chooser::filter_list::project);
    chooser_.set_default_suffix(QString());
    chooser_.take_directory_from(project_path_);
    const QStringList chosen = chooser_.show_open(this, file_chooser::must_exist);
    if (!chosen.isEmpty()) open_project(chosen.front(), QStringLiteral("Project is opened"));
}

void TveltORV1::SaveProject1Click() {
    save_project();
}

bool TveltORV1::save_project() {
    if (project_path_.isEmpty()) return save_project_as();
    read_record();
    return save_to(project_path_);
}

// Saves the record as path: the paths inside its folder relative to it (a
// relative path taken from the folder the project had so far), the others
// absolute. The controls then show what the file holds.
bool TveltORV1::save_to(const QString& path) {
    const std::string base =
        project_path_.isEmpty() ? vtfile_current_folder().str() : project_folder();
    set_project_path(path);
    rebase_project(project_, base, project_folder());
    editor_->write_from(project_);
    if (project_.save(byte_text(path)) != 0) {
        warn(QStringLiteral("Can't save project to file: ") + path);
        return false;
    }
    mark_saved();
    set_status(QStringLiteral("Project is saved"));
    return true;
}

void TveltORV1::SaveProjectAs1Click() {
    save_project_as();
}

bool TveltORV1::save_project_as() {
    enter_recent();
    read_record();
    chooser_.set_title(QStringLiteral("Save project settings file as"));
    chooser_.set_filter(file_chooser::filter_list::project);
    chooser_.set_default_suffix(QStringLiteral("txt"));
    chooser_.take_directory_from(project_path_);
    const QString chosen = chooser_.show_save(this);
    // The path is the project's from here on, even when the save fails.
    return !chosen.isEmpty() && save_to(chosen);
}

void TveltORV1::RecentProjectClick(const QString& path) {
    if (running() || !settle_changes()) return;
    open_project(path, QStringLiteral("Recent project is opened"));
}

void TveltORV1::ViewResultFile1Click() {
    const std::string_view written =
        project_.single() ? project_.single_output() : project_.destination.text();
    const QString target = qt_text(resolved_path(written, project_folder()));
    if (!shell_.open(QStringLiteral("open"), target))
        warn_open_failure(QStringLiteral("Can't show destination file: ") + target);
}

void TveltORV1::ReinitTemplateData1Click() {
    read_record();
    if (!load_catalogue()) {
        warn(qt_text(catalogue_.error().view()));
        return;
    }
    show_record();
    set_status(QStringLiteral("Template data is read again: %1 templates").arg(catalogue_.count()));
}

void TveltORV1::Contents1Click() {
    if (!shell_.open(QStringLiteral("open"), paths_.help_contents))
        warn_open_failure(QStringLiteral("Can not open help file"));
}

void TveltORV1::ContextHelp() {
    const QWidget* focused = focusWidget();
    const int context = help_context_of(focused ? focused : this);
    if (context == 0) return;
    const QString page = paths_.help_folder + QString::number(context) + QStringLiteral(".html");
    if (!shell_.open(QStringLiteral("open"), page))
        warn_open_failure(QStringLiteral("Can't open help file: ") + page);
}

void TveltORV1::About1Click() {
    dialogs_.show_modal(*about_box_);
}

void TveltORV1::WebSite1Click() {
    shell_.open(QStringLiteral("open"), k_web_site);
}
