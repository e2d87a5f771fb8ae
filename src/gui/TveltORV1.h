// TveltORV1: the main window. It wires the menus, tool buttons and controls
// to the classes that do the work and runs the window's start-up and exit.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>

#include "gui/colour_scheme.h"
#include "gui/file_chooser.h"
#include "gui/program_paths.h"
#include "gui/template_catalogue.h"
#include "gui/user_settings.h"
#include "project/toc_project.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;
class TAboutBox;
class TDescriptionBox;
class build_runner;
class dialogs;
class instance_lock;
class project_editor;
class project_form;
class recent_menu;
class shell_launcher;
class path_choosers;
class source_list_editor;
class template_commands;

class TveltORV1 : public QMainWindow {
    Q_OBJECT
  public:
    TveltORV1(const program_paths& paths, dialogs& owner_dialogs, shell_launcher& shell,
              QWidget* parent = nullptr);
    ~TveltORV1() override;

    // Set when the template catalogue could not be read: the window only
    // closes itself.
    bool terminating() const { return terminating_; }
    // Presets a new single-file project whose source (overwritten) is path.
    void preset_single_file(const QString& path);

    const toc_project& project() const { return project_; }
    const QString& project_path() const { return project_path_; }
    const QStringList& recent() const;
    // True when the controls differ from the project as it was last opened,
    // saved or started afresh.
    bool unsaved_changes() const;
    // True while a build or clearing run is going on.
    bool running() const;
    // Blocks until the run going on (if any) has ended and been reported.
    void wait_for_run();

    // Commands (named as the menu items and buttons that start them).
    void NewProject1Click();
    void OpenProject1Click();
    void SaveProject1Click();
    void SaveProjectAs1Click();
    void RecentProjectClick(const QString& path);
    void ResultFile1Click();
    void ClearTOC1Click();
    void CancelRun1Click();
    void ViewResultFile1Click();
    void ReinitTemplateData1Click();
    void Contents1Click();
    void About1Click();
    void WebSite1Click();
    void ContextHelp();

  signals:
    // A build or clearing run ended and its outcome was shown.
    void run_finished();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void createActions();
    void createMenus();
    void createViewMenu();
    void createToolBar();
    void createStatusBar();
    void connectControls();
    void readSettings();
    void writeSettings();
    void readFormatOptions();
    void writeFormatOptions();
    void applyGeometry();

    void show_record();
    void read_record();
    void mark_saved();
    void update_modified();
    bool settle_changes();
    bool settle_run();
    void set_project_path(const QString& path);
    std::string project_folder() const;
    void new_project();
    bool open_project(const QString& path, const QString& status);
    bool save_project();
    bool save_project_as();
    bool save_to(const QString& path);
    void warn_open_failure(const QString& text);
    void update_caption();
    void set_status(const QString& text);
    void enter_recent();
    void set_view_result_enabled(bool enabled);
    void run_engine(bool clear);
    void run_ended(bool done, bool cancelled, const QString& error);
    void set_running(bool running);
    bool load_catalogue();
    void run_exit_sequence();
    void warn(const QString& text);
    QAction* make_action(const char* name, const QString& text, void (TveltORV1::*handler)());
    QToolButton* make_tool_button(const char* name, const QString& hint, int icon,
                                  void (TveltORV1::*handler)());

    program_paths paths_;
    dialogs& dialogs_;
    shell_launcher& shell_;
    toc_project project_;
    toc_project saved_;  // the controls' settings when last opened, saved or started
    QString project_path_;
    template_catalogue catalogue_;
    file_chooser chooser_;
    colour_scheme colours_;
    bool terminating_ = false;
    bool exit_done_ = false;
    saved_geometry geometry_;

    std::unique_ptr<project_form> form_;
    std::unique_ptr<project_editor> editor_;
    std::unique_ptr<source_list_editor> sources_;
    std::unique_ptr<path_choosers> choosers_;
    std::unique_ptr<template_commands> templates_;
    build_runner* runner_ = nullptr;
    std::unique_ptr<TAboutBox> about_box_;
    std::unique_ptr<TDescriptionBox> description_box_;
    std::unique_ptr<instance_lock> lock_;

    QLabel* status_label_ = nullptr;
    QProgressBar* progress_bar_ = nullptr;
    QPushButton* cancel_button_ = nullptr;
    QToolButton* view_result_button_ = nullptr;
    recent_menu* recent_ = nullptr;
    QMenu* recent_submenu_ = nullptr;
    QAction* new_action_ = nullptr;
    QAction* open_action_ = nullptr;
    QAction* save_action_ = nullptr;
    QAction* save_as_action_ = nullptr;
    QAction* exit_action_ = nullptr;
    QAction* build_action_ = nullptr;
    QAction* clear_action_ = nullptr;
    QAction* cancel_action_ = nullptr;
    QAction* view_result_action_ = nullptr;
    QAction* reinit_action_ = nullptr;
    QAction* remember_action_ = nullptr;
    QAction* contents_action_ = nullptr;
    QAction* about_action_ = nullptr;
    QAction* help_action_ = nullptr;
    QAction* web_site_action_ = nullptr;
    QActionGroup* colour_actions_ = nullptr;
    QList<QWidget*> run_blocked_;  // controls that wait while a run goes on
};
