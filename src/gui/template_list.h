// template_list: the "TOC template" drop-down list. It offers the
// catalogue's templates, then the project's own template when that is none
// of them (a file of the user's, or one that is missing: shown by name and
// path), then "Browse...", which picks any template file.
//
// A catalogue template lives in the data folder, or, once the user edited a
// shipped template that is read-only, as a copy of the same name in the
// user's template folder, which then stands for it.
#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <string_view>

class QComboBox;
class file_chooser;
class template_catalogue;

class template_list : public QObject {
    Q_OBJECT
  public:
    // Both folders end in a separator.
    template_list(QComboBox* box, const template_catalogue& catalogue, QString data_folder,
                  QString user_folder, file_chooser& chooser);

    // Refills the list from the catalogue; the first template is selected.
    void fill();
    // Selects what template_file names, its relative path taken from base:
    // the catalogue entry whose file it is, else an entry of its own; the
    // first template when it is empty.
    void select(std::string_view template_file, std::string_view base);
    // What the project stores for the selection: a catalogue template's
    // path, or the own template as the project wrote it (or as chosen).
    std::string selected_path() const;
    // The selected catalogue position, or -1 (the own template, or none).
    int catalogue_index() const;
    // The file of the selection, absolute (relative paths from base);
    // empty when nothing is selected.
    QString selected_file(std::string_view base) const;
    // The file that stands for catalogue entry index: the user's copy when
    // there is one, else the data folder's.
    QString entry_file(int index) const;
    // Where the user's copy of catalogue entry index goes.
    QString user_copy(int index) const;

  private:
    int browse_index() const;
    int own_index() const;
    void set_own(const std::string& path, std::string_view base);
    void activated(int index);
    void browse();

    QComboBox* box_;
    const template_catalogue& catalogue_;
    QString data_folder_;
    QString user_folder_;
    file_chooser& chooser_;
    std::string base_;  // where the own template's relative path is taken from
    int last_index_ = 0;
};
