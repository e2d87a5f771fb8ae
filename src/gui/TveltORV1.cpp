#include "gui/TveltORV1.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "desktop/byte_text.h"
#include "desktop/dialogs.h"
#include "desktop/instance_lock.h"
#include "desktop/screen_centre.h"
#include "files/atomic_file.h"
#include "files/vtfile.h"
#include "gui/TAboutBox.h"
#include "gui/TDescriptionBox.h"
#include "gui/build_runner.h"
#include "gui/help_context.h"
#include "gui/path_choosers.h"
#include "gui/project_editor.h"
#include "gui/project_form.h"
#include "gui/recent_menu.h"
#include "gui/source_list_editor.h"
#include "gui/template_commands.h"
#include "gui/user_settings.h"

namespace {

constexpr int k_window_help = 6;
constexpr int k_toolbar_help = 5;
constexpr int k_default_height = 420;

}  // namespace

TveltORV1::TveltORV1(const program_paths& paths, dialogs& owner_dialogs, shell_launcher& shell,
                     QWidget* parent)
    : QMainWindow(parent),
      paths_(paths),
      dialogs_(owner_dialogs),
      shell_(shell),
      chooser_(owner_dialogs) {
    setObjectName(QStringLiteral("TveltORV1"));
    // Docks and task bars show the program's icon for the window.
    const QIcon icon(paths_.icon_file);
    if (!icon.isNull()) setWindowIcon(icon);
    set_help_context(this, k_window_help);
    form_ = std::make_unique<project_form>(this);
    setCentralWidget(form_->controls().tabs);
    editor_ = std::make_unique<project_editor>(form_->controls(), catalogue_, paths_.data_folder);
    sources_ = std::make_unique<source_list_editor>(
        form_->controls(), dialogs_, chooser_, [this](const QString& text) { set_status(text); });
    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    connectControls();
    runner_ = std::make_unique<build_runner>(form_->controls().tabs, progress_bar_,
                                             [this](const QString& text) { set_status(text); });
    about_box_ = std::make_unique<TAboutBox>(paths_.icon_file, this);
    description_box_ = std::make_unique<TDescriptionBox>(this);
    choosers_ = std::make_unique<path_choosers>(form_->controls(), chooser_);
    templates_ = std::make_unique<template_commands>(form_->controls(), catalogue_, *editor_,
                                                     paths_.data_folder, dialogs_, shell_,
                                                     *description_box_);

    if (!load_catalogue()) {
        terminating_ = true;
        dialogs_.warn(this, QStringLiteral("Error occurred when parsing templates.txt file:\r\n") +
                                qt_text(catalogue_.error().view()) +
                                QStringLiteral("\r\n\r\nApplication is terminating."));
        return;
    }
    new_project();
    readSettings();
    if (remember_action_->isChecked()) {
        readFormatOptions();
        show_record();
    }
    mark_saved();
    set_status(QStringLiteral("For context help use F1 key"));
    applyGeometry();
    lock_ = std::make_unique<instance_lock>();
}

TveltORV1::~TveltORV1() {
    run_exit_sequence();
}

QAction* TveltORV1::make_action(const char* name, const QString& text,
                                void (TveltORV1::*handler)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    if (handler) connect(action, &QAction::triggered, this, handler);
    return action;
}

void TveltORV1::createActions() {
    new_action_ =
        make_action("NewProject1", QStringLiteral("&New Project"), &TveltORV1::NewProject1Click);
    new_action_->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    open_action_ =
        make_action("OpenProject1", QStringLiteral("&Open Project"), &TveltORV1::OpenProject1Click);
    open_action_->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    save_action_ =
        make_action("SaveProject1", QStringLiteral("&Save Project"), &TveltORV1::SaveProject1Click);
    save_action_->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    save_as_action_ = make_action("SaveProjectAs1", QStringLiteral("Save Project &As"),
                                  &TveltORV1::SaveProjectAs1Click);
    exit_action_ = make_action("Exit1", QStringLiteral("&Exit"), nullptr);
    connect(exit_action_, &QAction::triggered, this, &QWidget::close);
    build_action_ =
        make_action("ResultFile1", QStringLiteral("&Build TOC"), &TveltORV1::ResultFile1Click);
    build_action_->setShortcut(QKeySequence(QStringLiteral("Ctrl+B")));
    clear_action_ =
        make_action("ClearTOC1", QStringLiteral("&Clear TOC and all HTML code inserted"),
                    &TveltORV1::ClearTOC1Click);
    view_result_action_ = make_action("ViewResultFile1", QStringLiteral("View &Result File"),
                                      &TveltORV1::ViewResultFile1Click);
    view_result_action_->setShortcut(QKeySequence(QStringLiteral("Ctrl+R")));
    reinit_action_ = make_action("ReinitTemplateData1", QStringLiteral("Re-init &Template Data"),
                                 &TveltORV1::ReinitTemplateData1Click);
    remember_action_ = make_action("RememberFormatOptionsonExit1",
                                   QStringLiteral("Remember &Format Options on Exit"), nullptr);
    remember_action_->setCheckable(true);
    contents_action_ =
        make_action("Contents1", QStringLiteral("&Contents"), &TveltORV1::Contents1Click);
    about_action_ = make_action("About1", QStringLiteral("&About"), &TveltORV1::About1Click);
    help_action_ = make_action("ContextHelp1", QStringLiteral("Help"), &TveltORV1::ContextHelp);
    help_action_->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(help_action_);
}

void TveltORV1::createMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    file->addActions({new_action_, open_action_, save_action_, save_as_action_});
    file->addSeparator();
    recent_ = new recent_menu(file);
    connect(recent_, &recent_menu::open_requested, this, &TveltORV1::RecentProjectClick);
    file->addSeparator();
    file->addAction(exit_action_);

    QMenu* toc = menuBar()->addMenu(QStringLiteral("&TOC"));
    toc->setObjectName(QStringLiteral("TOC1"));
    toc->addActions({build_action_, clear_action_});
    toc->addSeparator();
    toc->addAction(view_result_action_);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("Options1"));
    options->addActions({reinit_action_, remember_action_});

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    help->addAction(contents_action_);
    help->addSeparator();
    help->addAction(about_action_);

    QAction* site = menuBar()->addAction(QStringLiteral("orvane.org"));
    site->setObjectName(QStringLiteral("WebSite1"));
    connect(site, &QAction::triggered, this, &TveltORV1::WebSite1Click);
}

QToolButton* TveltORV1::make_tool_button(const char* name, const QString& hint, int icon,
                                         void (TveltORV1::*handler)()) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(icon)));
    button->setIconSize(QSize(22, 22));
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    connect(button, &QToolButton::clicked, this, handler);
    return button;
}

void TveltORV1::createToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Tools"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    set_help_context(bar, k_toolbar_help);
    bar->addWidget(make_tool_button("SpeedButton4", QStringLiteral("New Project"),
                                    QStyle::SP_FileIcon, &TveltORV1::NewProject1Click));
    bar->addWidget(make_tool_button("SpeedButton5", QStringLiteral("Open Project"),
                                    QStyle::SP_DialogOpenButton, &TveltORV1::OpenProject1Click));
    bar->addWidget(make_tool_button("SpeedButton6", QStringLiteral("Save Project"),
                                    QStyle::SP_DialogSaveButton, &TveltORV1::SaveProject1Click));
    bar->addSeparator();
    bar->addWidget(make_tool_button("SpeedButton1", QStringLiteral("Build TOC"),
                                    QStyle::SP_MediaPlay, &TveltORV1::ResultFile1Click));
    bar->addWidget(make_tool_button("SpeedButton2",
                                    QStringLiteral("Clear TOC and all HTML code inserted by the "
                                                   "program"),
                                    QStyle::SP_DialogResetButton, &TveltORV1::ClearTOC1Click));
    view_result_button_ =
        make_tool_button("SpeedButton3", QStringLiteral("View Result File"),
                         QStyle::SP_FileDialogContentsView, &TveltORV1::ViewResultFile1Click);
    bar->addWidget(view_result_button_);
    bar->setFixedHeight(view_result_button_->sizeHint().height() + 10);
    set_view_result_enabled(false);
}

void TveltORV1::createStatusBar() {
    status_label_ = new QLabel(this);
    status_label_->setObjectName(QStringLiteral("StatusLabel"));
    status_label_->setTextFormat(Qt::PlainText);
    status_label_->setMinimumWidth(1);
    statusBar()->addWidget(status_label_, 1);
    progress_bar_ = new QProgressBar(this);
    progress_bar_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_bar_->setRange(0, 100);
    progress_bar_->setMaximumWidth(200);
    progress_bar_->hide();
    statusBar()->addPermanentWidget(progress_bar_);
    statusBar()->setSizeGripEnabled(true);
}

void TveltORV1::connectControls() {
    const main_controls& c = form_->controls();
    auto relayout = [this] {
        editor_->apply_mode_layout();
        editor_->apply_destination_enabling();
    };
    connect(c.single, &QRadioButton::clicked, this, relayout);
    connect(c.multiple, &QRadioButton::clicked, this, relayout);
    connect(c.overwrite, &QCheckBox::clicked, this,
            [this] { editor_->apply_destination_enabling(); });
}

bool TveltORV1::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::StatusTip:
            // The hint under the pointer replaces the status text.
            set_status(static_cast<QStatusTipEvent*>(event)->tip());
            return true;
        case QEvent::WindowActivate:
        case QEvent::Show:
            if (terminating_) QTimer::singleShot(0, this, &QWidget::close);
            break;
        default:
            break;
    }
    return QMainWindow::event(event);
}

void TveltORV1::closeEvent(QCloseEvent* event) {
    if (!exit_done_ && !terminating_ && !settle_changes()) {
        event->ignore();
        return;
    }
    run_exit_sequence();
    event->accept();
}

void TveltORV1::applyGeometry() {
    if (geometry_.present()) {
        // Taken as stored, even when it lies outside the screen.
        move(geometry_.left, geometry_.top);
        resize(geometry_.width, geometry_.height);
        return;
    }
    const int width = std::max(sizeHint().width(), 640);
    resize(width, k_default_height);
    centre_on_screen(this);
}

void TveltORV1::readSettings() {
    // The user's own file. On the first start the shipped file is copied
    // there (the program's own folder may be read-only, as /usr/share is);
    // only when that cannot be done is the shipped file read in place.
    std::string path = byte_text(paths_.user_settings_file());
    vtfile_node info;
    if (!vtfile_info(path, info)) {
        QDir().mkpath(paths_.user_folder);
        const std::string shipped = byte_text(paths_.distribution_settings);
        vtstring bytes;
        if (!vtfile_read_all(shipped, bytes) || !vtfile_write_atomic(path, bytes.view()))
            path = shipped;
    }
    user_settings settings;
    vtstring error;
    if (!settings.read(path, error)) {
        warn(QStringLiteral("Can't read settings file"));
        return;
    }
    remember_action_->setChecked(settings.remember_format);
    chooser_.set_last_directory(qt_text(settings.last_directory));
    QStringList paths;
    for (const std::string& entry : settings.recent) paths << qt_text(entry);
    recent_->assign(paths);
    geometry_ = settings.geometry;
}

void TveltORV1::writeSettings() {
    user_settings settings;
    settings.remember_format = remember_action_->isChecked();
    for (const QString& entry : recent_->entries()) settings.recent.push_back(byte_text(entry));
    settings.geometry = {pos().x(), pos().y(), width(), height()};
    settings.last_directory = byte_text(chooser_.last_directory());
    QDir().mkpath(paths_.user_folder);
    if (!settings.write(byte_text(paths_.user_settings_file())))
        warn(QStringLiteral("Can't write settings file"));
}

void TveltORV1::readFormatOptions() {
    read_format_options(byte_text(paths_.format_options_file()), project_);
}

void TveltORV1::writeFormatOptions() {
    read_record();
    QDir().mkpath(paths_.user_folder);
    const QString path = paths_.format_options_file();
    if (project_.save(byte_text(path)) != 0)
        warn(QStringLiteral("Can't write format options file: ") + path);
}

void TveltORV1::run_exit_sequence() {
    // Once only; and never after a failed start, whose settings were not read.
    if (exit_done_ || terminating_) return;
    exit_done_ = true;
    enter_recent();
    writeSettings();
    if (remember_action_->isChecked()) writeFormatOptions();
    lock_.reset();
}
