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
#include "gui/TAboutBox.h"
#include "gui/TveltORV1.h"
#include "gui/build_runner.h"
#include "gui/help_context.h"
#include "gui/project_editor.h"
#include "gui/project_form.h"
#include "gui/recent_menu.h"
#include "gui/shell_launcher.h"

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
    setWindowTitle(k_product_title + QStringLiteral(" - ") + name);
}

void TveltORV1::read_record() {
    editor_->read_into(project_);
}

void TveltORV1::show_record() {
    editor_->write_from(project_);
    set_view_result_enabled(false);
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
    project_.source.push_back(vtval(byte_text(path)));
    project_.is_dest_as_source = vtval::make_bool(true);
    show_record();
}

void TveltORV1::NewProject1Click() {
    enter_recent();
    project_path_.clear();
    project_.reset();
    show_record();
    update_caption();
    set_status(QStringLiteral("Project settings are cleared"));
}

void TveltORV1::OpenProject1Click() {
    enter_recent();
    chooser_.set_title(QStringLiteral("Open project settings file"));
    chooser_.set_filter(file_chooser::filter_list::project);
    chooser_.set_default_suffix(QString());
    chooser_.take_directory_from(project_path_);
    const QStringList chosen = chooser_.show_open(this, file_chooser::must_exist);
    if (chosen.isEmpty()) return;
    if (project_.load(byte_text(chosen.front())) != 0) {
        // The unreadable file does not become the project, so it does not
        // enter the recent list either.
        warn(QStringLiteral("Can't read project file"));
        NewProject1Click();
        return;
    }
    project_path_ = chosen.front();
    show_record();
    update_caption();
    set_status(QStringLiteral("Project is opened"));
}

void TveltORV1::SaveProject1Click() {
    if (project_path_.isEmpty()) {
        SaveProjectAs1Click();
        return;
    }
    read_record();
    if (project_.save(byte_text(project_path_)) != 0)
        warn(QStringLiteral("Can't save project to file: ") + project_path_);
    else
        set_status(QStringLiteral("Project is saved"));
}

void TveltORV1::SaveProjectAs1Click() {
    enter_recent();
    read_record();
    chooser_.set_title(QStringLiteral("Save project settings file as"));
    chooser_.set_filter(file_chooser::filter_list::project);
    chooser_.set_default_suffix(QStringLiteral("txt"));
    chooser_.take_directory_from(project_path_);
    const QString chosen = chooser_.show_save(this);
    if (chosen.isEmpty()) return;
    project_path_ = chosen;
    if (project_.save(byte_text(project_path_)) != 0) {
        warn(QStringLiteral("Can't save project to file: ") + project_path_);
        return;
    }
    update_caption();
    set_status(QStringLiteral("Project is saved"));
}

void TveltORV1::RecentProjectClick(const QString& path) {
    if (project_.load(byte_text(path)) != 0) {
        warn(QStringLiteral("Can't read project file: ") + path);
        return;
    }
    enter_recent();
    show_record();
    project_path_ = path;
    update_caption();
    set_status(QStringLiteral("Recent project is opened"));
}

void TveltORV1::run_engine(bool clear) {
    read_record();
    if (!runner_->run(project_, clear)) {
        warn(qt_text(project_.error_message.view()));
        return;
    }
    set_view_result_enabled(true);
    shell_.beep();
    set_status(clear ? QStringLiteral("Clearance is done")
                     : QStringLiteral("HTML TOC has been created"));
}

void TveltORV1::ResultFile1Click() {
    run_engine(false);
}

void TveltORV1::ClearTOC1Click() {
    run_engine(true);
}

void TveltORV1::ViewResultFile1Click() {
    const QString target =
        qt_text(project_.single() ? project_.single_output() : project_.destination.text());
    if (!shell_.open(QStringLiteral("open"), target))
        warn(QStringLiteral("Can't show destination file: ") + target);
}

void TveltORV1::ReinitTemplateData1Click() {
    read_record();
    if (!load_catalogue()) {
        warn(qt_text(catalogue_.error().view()));
        return;
    }
    show_record();
}

void TveltORV1::Contents1Click() {
    if (!shell_.open(QStringLiteral("open"), paths_.help_contents))
        warn(QStringLiteral("Can not open help file"));
}

void TveltORV1::ContextHelp() {
    const QWidget* focused = focusWidget();
    const int context = help_context_of(focused ? focused : this);
    if (context == 0) return;
    const QString page = paths_.help_folder + QString::number(context) + QStringLiteral(".html");
    if (!shell_.open(QStringLiteral("open"), page))
        warn(QStringLiteral("Can't open help file: ") + page);
}

void TveltORV1::About1Click() {
    dialogs_.show_modal(*about_box_);
}

void TveltORV1::WebSite1Click() {
    shell_.open(QStringLiteral("open"), k_web_site);
}
