#include "gui/program_paths.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString with_separator(QString folder) {
    if (!folder.endsWith(u'/')) folder += u'/';
    return folder;
}

}  // namespace

program_paths program_paths::in_folder(const QString& resource_folder, const QString& user_folder) {
    const QString base = with_separator(resource_folder);
    program_paths paths;
    paths.program_folder = base;
    paths.data_folder = base + QStringLiteral("vtdata/");
    paths.help_contents = base + QStringLiteral("help.html");
    paths.help_folder = base + QStringLiteral("help/");
    paths.distribution_settings = base + QStringLiteral("vorn_set.txt");
    paths.icon_file = base + QStringLiteral("orvane.png");
    paths.user_folder = with_separator(user_folder);
    paths.user_templates = paths.user_folder + QStringLiteral("templates/");
    return paths;
}

program_paths program_paths::locate(const QString& program_folder) {
    QString resources = with_separator(program_folder);
    bool shared_data = false;
    if (!QDir(resources + QStringLiteral("vtdata")).exists()) {
        const QString shared = QDir::cleanPath(resources + QStringLiteral("../share/orvane"));
        shared_data = QDir(shared + QStringLiteral("/vtdata")).exists();
        if (shared_data) resources = shared;
    }
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    program_paths paths = in_folder(resources, config + QStringLiteral("/VELT/ORV1"));
    paths.program_folder = with_separator(program_folder);
    paths.shared_data = shared_data;
    return paths;
}
