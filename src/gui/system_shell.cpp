#include "gui/system_shell.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "files/vtfile.h"

#include "core/own_entries.h"
#include "desktop/byte_text.h"
#include "gui/desktop_launch.h"

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

// What the desktop names as the default program for a MIME type (a desktop
// entry's name); empty when it names none or cannot be asked.
QString default_entry(const QString& mime_type) {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), mime_type});
    if (!query.waitForFinished(5000)) return {};
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

// Where the desktop entry of id lives ("kde-kate.desktop" may stand for
// "kde/kate.desktop"); empty when nowhere.
QString entry_path(const QString& id) {
    QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    const qsizetype dash = id.indexOf(u'-');
    if (path.isEmpty() && dash > 0)
        path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation,
                                      id.left(dash) + u'/' + id.mid(dash + 1));
    return path;
}

QString read_text(const QString& path) {
    vtstring bytes;
    return vtfile_read_all(byte_text(path), bytes) ? qt_text(bytes.view()) : QString();
}

QStringList terminal_command() {
    const QString terminal = QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
    return terminal.isEmpty() ? QStringList() : QStringList{terminal, QStringLiteral("-e")};
}

bool start(const launch_command& command) {
    return QProcess::startDetached(command.program, command.arguments);
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
    reason_.clear();
    const QString file = requested_file(verb, target, nullptr);
    // xdg-open starts in the background and would accept a missing file; the
    // caller's message is only right when a missing document fails here.
    if (file.isEmpty() || (!is_url(file) && !exists(file))) return false;
    if (verb == QLatin1String("open") && !is_url(file)) return open_page(file);
    const shell_command command = make_shell_command(verb, target);
    if (command.program == QLatin1String("xdg-open") && !can_open()) return false;
    return QProcess::startDetached(command.program, command.arguments);
}

// A page (help, a result) goes to a web browser: the desktop's program for
// HTML pages may be this very program, whose "Open With" entry takes HTML
// pages.
bool system_shell::open_page(const QString& page) {
    const auto command = browser_command(
        opener_argument(page), default_entry(QStringLiteral("text/html")),
        qEnvironmentVariable("BROWSER"),
        [](const QString& program) { return QStandardPaths::findExecutable(program); });
    if (!command) {
        reason_ = QStringLiteral(
            "No web browser was found: choose one as your desktop's program for HTML pages, or "
            "name it in the BROWSER variable.");
        return false;
    }
    if (command->program == QLatin1String("xdg-open") && !can_open()) return false;
    return start(*command);
}

bool system_shell::edit(const QString& path) {
    reason_.clear();
    if (!exists(path)) return false;
    QString id = default_entry(QStringLiteral("text/plain"));
    if (is_own_desktop_entry(id.toStdString())) id.clear();
    const QString entry = id.isEmpty() ? QString() : entry_path(id);
    const auto command = editor_command(path, entry.isEmpty() ? QString() : read_text(entry), entry,
                                        qEnvironmentVariable("VISUAL"),
                                        qEnvironmentVariable("EDITOR"), terminal_command());
    if (!command) {
        reason_ = QStringLiteral(
            "No text editor was found: choose one as your desktop's program for plain text, or "
            "name it in the VISUAL or EDITOR variable.");
        return false;
    }
    return start(*command);
}

bool system_shell::can_open() const {
    return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
}

void system_shell::beep() {
    QApplication::beep();
}
