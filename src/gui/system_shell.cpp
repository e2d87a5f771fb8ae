#include "gui/system_shell.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {

bool is_url(const QString& target) {
    const QUrl url(target);
    return url.isValid() && url.scheme().size() > 1;  // not a drive letter or a path
}

bool is_program(const QFileInfo& info) {
    return info.isFile() && info.isExecutable();
}

}  // namespace

shell_command make_shell_command(const QString& verb, const QString& target) {
    QString file = target;
    QString parameters;
    if (verb == QLatin1String("execute")) {
        const qsizetype blank = target.indexOf(u' ');
        if (blank >= 0) {
            file = target.left(blank);
            parameters = target.mid(blank + 1);
        }
    }
    if (!is_url(file) && is_program(QFileInfo(file)) && verb == QLatin1String("execute"))
        return {file, QProcess::splitCommand(parameters)};
    return {QStringLiteral("xdg-open"), {file}};
}

bool system_shell::open(const QString& verb, const QString& target) {
    const shell_command command = make_shell_command(verb, target);
    const QString& file =
        command.program == QLatin1String("xdg-open") ? command.arguments.front() : command.program;
    // xdg-open starts in the background and would accept a missing file; the
    // caller's message is only right when a missing document fails here.
    if (file.isEmpty() || (!is_url(file) && !QFileInfo::exists(file))) return false;
    return QProcess::startDetached(command.program, command.arguments);
}

void system_shell::beep() {
    QApplication::beep();
}
