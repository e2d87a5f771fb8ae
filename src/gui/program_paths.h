// program_paths: where the window finds its own files. Every folder ends in
// a separator.
#pragma once

#include <QString>

struct program_paths {
    QString program_folder;         // the executable's folder
    QString data_folder;            // templates.txt and the template files
    QString help_contents;          // help.html
    QString help_folder;            // one page per help context
    QString distribution_settings;  // the distributed vorn_set.txt
    QString user_folder;            // the user's own settings files
    QString user_templates;         // the user's copies of shipped templates
    QString icon_file;
    bool shared_data = false;  // the data is in ../share/orvane/ (an installed package)

    // The user's vorn_set.txt and vorn_format.txt.
    QString user_settings_file() const { return user_folder + QStringLiteral("vorn_set.txt"); }
    QString format_options_file() const { return user_folder + QStringLiteral("vorn_format.txt"); }

    // Paths for a program in program_folder. Its files are read from there,
    // or from ../share/orvane/ beside it when it has no vtdata/ (an installed
    // package); user_folder is the user's configuration folder VELT/ORV1/.
    static program_paths locate(const QString& program_folder);
    // Paths with every distribution file in resource_folder.
    static program_paths in_folder(const QString& resource_folder, const QString& user_folder);
};
