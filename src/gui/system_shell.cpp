#include "gui/system_shell.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "desktop/byte_text.h"

namespace {

bool is_url(const QString& target) {
    const QUrl url(target);
    return url.isValid() && url.scheme().size() > 1;  // not a drive letter or a path
}

// Paths are bytes: asked of the file system as such, not through Qt's
// decoding of them.
bool exists(const QString& path) {
    struct stat info {};
    return ::stat(byte_text(path).c_str(), &info) == 0;
}

bool is_program(const QString& path) {
    struct stat info {};
    const std::string bytes = byte_text(path);
    return ::stat(bytes.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(bytes.c_str(), X_OK) == 0;
}

// A path as an argument of xdg-open: as it is when Qt can pass its bytes
// (valid UTF-8), else as a file URL whose bytes are percent-encoded.
QString opener_argument(const QString& path) {
    const std::string bytes = byte_text(path);
    if (QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())) == path) return path;
    const QByteArray encoded =
        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toPercentEncoding("/");
    return QStringLiteral("file://") + QString::fromLatin1(encoded);
}

// The file (or URL) a request names, and for "execute" its parameters.
QString requested_file(const QString& verb, const QString& target, QString* parameters) {
    if (verb != QLatin1String("execute")) return target;
    const qsizetype blank = target.indexOf(u' ');
    if (blank < 0) return target;
    if (parameters) *parameters = target.mid(blank + 1);
    return target.left(blank);
}

}  // namespace

shell_command make_shell_command(const QString& verb, const QString& target) {
    QString parameters;
    const QString file = requested_file(verb, target, &parameters);
    if (!is_url(file) && is_program(file) && verb == QLatin1String("execute"))
        return {file, QProcess::splitCommand(parameters)};
    return {QStringLiteral("xdg-open"), {is_url(file) ? file : opener_argument(file)}};
}

bool system_shell::open(const QString& verb, const QString& target) {
    const QString file = requested_file(verb, target, nullptr);
    // xdg-open starts in the background and would accept a missing file; the
    // caller's message is only right when a missing document fails here.
    if (file.isEmpty() || (!is_url(file) && !exists(file))) return false;
    const shell_command command = make_shell_command(verb, target);
    if (command.program == QLatin1String("xdg-open") && !can_open()) return false;
    return QProcess::startDetached(command.program, command.arguments);
}

bool system_shell::can_open() const {
    return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
}

void system_shell::beep() {
    QApplication::beep();
}
