// file_chooser: the one file dialog setup that every command shares. Title,
// filter list, default extension and last directory keep their values
// between uses; the per-use options are passed to each showing.
#pragma once

#include <QString>
#include <QStringList>

#include "desktop/dialogs.h"

class file_chooser {
  public:
    enum class filter_list { project, html, templates };
    enum option { none = 0, must_exist = 1, multiple = 2 };

    explicit file_chooser(dialogs& owner_dialogs) : dialogs_(owner_dialogs) {}

    void set_title(const QString& title) { request_.title = title; }
    void set_filter(filter_list list);
    void set_default_suffix(const QString& suffix) { request_.default_suffix = suffix; }
    // A non-empty reference path makes its folder the last directory (the
    // whole reference when it has no separator); an empty one changes nothing.
    // A relative reference is taken from the base folder when there is one.
    void take_directory_from(QString reference);
    // The folder relative references are taken from (the open project's);
    // empty: the process's folder.
    void set_base_folder(const QString& folder) { base_folder_ = folder; }
    const QString& last_directory() const { return last_directory_; }
    void set_last_directory(const QString& folder) { last_directory_ = folder; }

    // Shows an open dialog; the chosen paths, empty when cancelled.
    QStringList show_open(QWidget* parent, int options);
    // Shows a save dialog; the chosen path, empty when cancelled.
    QString show_save(QWidget* parent);

    // The request as the next showing would make it (for checks).
    file_request pending_request(bool save, int options) const;

    static QStringList project_filters();
    static QStringList html_filters();
    static QStringList template_filters();

  private:
    dialogs& dialogs_;
    file_request request_;
    QString last_directory_;
    QString base_folder_;
};
