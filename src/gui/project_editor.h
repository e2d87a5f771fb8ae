// project_editor: copies the controls of the two pages into a project record
// and back, and lays the page out for single and multiple files.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "gui/main_controls.h"
#include "gui/template_list.h"

class file_chooser;
class template_catalogue;
class toc_project;

class project_editor {
  public:
    // data_folder and user_templates (the user's copies of shipped
    // templates) end in a separator.
    project_editor(const main_controls& controls, const template_catalogue& catalogue,
                   const QString& data_folder, const QString& user_templates,
                   file_chooser& chooser);
    ~project_editor();

    // Empties the error text, sets every key from its control and normalises.
    // The record takes its relative paths from the project file's folder.
    void read_into(toc_project& project) const;
    // Shows the record in the controls and lays the page out for its kind.
    void write_from(const toc_project& project);
    // The folder a shown project's relative paths are taken from (its
    // file's; empty: the process's).
    void set_base_folder(const std::string& folder) { base_folder_ = folder; }
    const std::string& base_folder() const { return base_folder_; }
    // Calls changed whenever the user edits any setting.
    void watch(const std::function<void()>& changed);

    // Shows the groups and buttons of the kind that is checked.
    void apply_mode_layout();
    // Single files: the destination is chosen only when the source is not
    // overwritten. Multiple files: nothing.
    void apply_destination_enabling();
    // Named anchors' attributes are of no use while headings are linked by
    // ids: the field is disabled then.
    void apply_anchor_enabling();
    // Refills the template list with the catalogue's names.
    void fill_template_list();
    template_list& templates() { return *templates_; }
    const template_list& templates() const { return *templates_; }

  private:
    void write_sources(const toc_project& project);

    const main_controls& controls_;
    std::unique_ptr<template_list> templates_;
    std::string base_folder_;
};
