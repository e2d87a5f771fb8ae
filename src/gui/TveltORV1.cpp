#include "gui/TveltORV1.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

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
#include "project/project_paths.h"

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
    setAcceptDrops(true);
    form_ = std::make_unique<project_form>(this);
    setCentralWidget(form_->controls().tabs);
    const auto status = [this](const QString& text) { set_status(text); };
    editor_ = std::make_unique<project_editor>(form_->controls(), catalogue_, paths_.data_folder,
                                               paths_.user_templates, chooser_);
    sources_ = std::make_unique<source_list_editor>(form_->controls(), *editor_, dialogs_, chooser_,
                                                    status);
    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    connectControls();
    runner_ = new build_runner(form_->controls().tabs, progress_bar_, status, this);
    connect(runner_, &build_runner::finished, this, &TveltORV1::run_ended);
    about_box_ = std::make_unique<TAboutBox>(paths_.icon_file, this);
    description_box_ = std::make_unique<TDescriptionBox>(this);
    choosers_ = std::make_unique<path_choosers>(form_->controls(), chooser_);
    templates_ = std::make_unique<template_commands>(form_->controls(), catalogue_, *editor_,
                                                     paths_.shared_data, dialogs_, shell_,
                                                     *description_box_, status);

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
    editor_->watch([this] { update_modified(); });
    set_status(QStringLiteral("For context help use F1 key"));
    applyGeometry();
    lock_ = std::make_unique<instance_lock>();
}

TveltORV1::~TveltORV1() {
    // A window destroyed during a run (never closed) stops it first.
    runner_->cancel();
    runner_->wait();
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
    save_as_action_ = make_action("SaveProjectAs1", QStringLiteral("Save Project &As..."),
                                  &TveltORV1::SaveProjectAs1Click);
    save_as_action_->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    exit_action_ = make_action("Exit1", QStringLiteral("&Exit"), nullptr);
    exit_action_->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    connect(exit_action_, &QAction::triggered, this, &QWidget::close);
    build_action_ =
        make_action("ResultFile1", QStringLiteral("&Build TOC"), &TveltORV1::ResultFile1Click);
    build_action_->setShortcut(QKeySequence(QStringLiteral("Ctrl+B")));
    clear_action_ =
        make_action("ClearTOC1", QStringLiteral("&Clear TOC and all HTML code inserted"),
                    &TveltORV1::ClearTOC1Click);
    cancel_action_ =
        make_action("CancelRun1", QStringLiteral("C&ancel"), &TveltORV1::CancelRun1Click);
    cancel_action_->setShortcut(QKeySequence(Qt::Key_Escape));
    cancel_action_->setEnabled(false);
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
    help_action_ = make_action("ContextHelp1", QStringLiteral("&Help on the Focused Control"),
                               &TveltORV1::ContextHelp);
    help_action_->setShortcut(QKeySequence(Qt::Key_F1));
    web_site_action_ =
        make_action("WebSite1", QStringLiteral("orvane.&org"), &TveltORV1::WebSite1Click);
}

void TveltORV1::createMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    file->addActions({new_action_, open_action_, save_action_, save_as_action_});
    file->addSeparator();
    recent_ = new recent_menu(file);
    recent_submenu_ = recent_->menu();
    connect(recent_, &recent_menu::open_requested, this, &TveltORV1::RecentProjectClick);
    file->addSeparator();
    file->addAction(exit_action_);

    QMenu* toc = menuBar()->addMenu(QStringLiteral("&TOC"));
    toc->setObjectName(QStringLiteral("TOC1"));
    toc->addActions({build_action_, clear_action_, cancel_action_});
    toc->addSeparator();
    toc->addAction(view_result_action_);

    createViewMenu();

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("Options1"));
    options->addActions({reinit_action_, remember_action_});

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    help->addActions({contents_action_, help_action_});
    help->addSeparator();
    help->addActions({web_site_action_, about_action_});
}

void TveltORV1::createViewMenu() {
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("View1"));
    colour_actions_ = new QActionGroup(this);
    const struct {
        const char* name;
        const char* text;
        colour_choice choice;
    } choices[] = {{"ColourSystem1", "&System Colours", colour_choice::system},
                   {"ColourLight1", "&Light Colours", colour_choice::light},
                   {"ColourDark1", "&Dark Colours", colour_choice::dark}};
    for (const auto& c : choices) {
        QAction* action = make_action(c.name, QString::fromLatin1(c.text), nullptr);
        action->setCheckable(true);
        action->setData(static_cast<int>(c.choice));
        action->setChecked(c.choice == colour_choice::system);
        colour_actions_->addAction(action);
        view->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, choice = c.choice] { colours_.apply(choice); });
    }
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
    button->setAccessibleName(hint);
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
    progress_bar_->setFormat(QStringLiteral("%p%"));
    progress_bar_->setTextVisible(true);
    progress_bar_->hide();
    statusBar()->addPermanentWidget(progress_bar_);
    cancel_button_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_button_->setObjectName(QStringLiteral("CancelButton"));
    cancel_button_->setToolTip(QStringLiteral("Stops the run; no file is changed (Esc)"));
    cancel_button_->hide();
    connect(cancel_button_, &QPushButton::clicked, this, &TveltORV1::CancelRun1Click);
    statusBar()->addPermanentWidget(cancel_button_);
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
    // A page or a field whose text drops would take a file's URL: files
    // dropped anywhere go to the project instead.
    for (QLineEdit* field : {c.source_field, c.destination_field}) field->setAcceptDrops(false);
    run_blocked_ = {c.project_page, c.format_page};
}

void TveltORV1::dragEnterEvent(QDragEnterEvent* event) {
    if (!running() && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TveltORV1::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        // The path's bytes as the file manager encoded them, not Qt's
        // reading of them as text.
        const QByteArray bytes =
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        paths << qt_text(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    }
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    sources_->drop(paths);
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
    if (!exit_done_ && !terminating_ && (!settle_run() || !settle_changes())) {
        event->ignore();
        return;
    }
    run_exit_sequence();
    event->accept();
}

void TveltORV1::applyGeometry() {
    // No larger than the screen leaves room for (a small screen, or a
    // larger scale factor than when the size was saved): the pages scroll.
    const QScreen* screen = this->screen();
    const QSize room = screen ? screen->availableGeometry().size() * 9 / 10 : QSize(4096, 4096);
    auto fitting = [&](QSize size) { return size.boundedTo(room).expandedTo(minimumSizeHint()); };
    if (geometry_.present()) {
        // The place as stored, even when it lies outside the screen.
        move(geometry_.left, geometry_.top);
        resize(fitting(QSize(geometry_.width, geometry_.height)));
        return;
    }
    // By default both pages show whole.
    resize(fitting(sizeHint().expandedTo(QSize(640, k_default_height))));
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
        colours_.apply(colour_choice::system);
        return;
    }
    remember_action_->setChecked(settings.remember_format);
    chooser_.set_last_directory(qt_text(settings.last_directory));
    const auto colours = static_cast<colour_choice>(std::clamp(settings.colour_scheme, 0, 2));
    for (QAction* action : colour_actions_->actions())
        if (action->data().toInt() == static_cast<int>(colours)) action->setChecked(true);
    colours_.apply(colours);
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
    settings.colour_scheme = static_cast<int32_t>(colours_.choice());
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
    // Read back by a new project, the template must not depend on this
    // project's folder.
    toc_project options = resolved_project(project_, project_folder());
    if (options.save(byte_text(path)) != 0)
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
