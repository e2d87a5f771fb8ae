#include "gui/desktop_launch.h"

#include <QProcess>

#include "core/own_entries.h"

namespace {

// The value of key in the entry's [Desktop Entry] group (the unlocalised
// one); empty when it has none.
QString entry_value(const QString& entry_text, QStringView key) {
    bool in_group = false;
    for (QStringView line : QStringView(entry_text).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            in_group = line == u"[Desktop Entry]";
        } else if (in_group && line.startsWith(key) && line.size() > key.size()) {
            const QStringView rest = line.mid(key.size()).trimmed();
            if (rest.startsWith(u'=')) return rest.mid(1).trimmed().toString();
        }
    }
    return {};
}

// A string value with its escapes undone.
QString unescaped(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != u'\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[++i];
        out += next == u's'   ? QChar(u' ')
               : next == u'n' ? QChar(u'\n')
               : next == u't' ? QChar(u'\t')
               : next == u'r' ? QChar(u'\r')
                              : next;
    }
    return out;
}

// An Exec line split into its arguments by the desktop-entry quoting rules:
// blanks separate, double quotes group, and inside them a backslash takes
// the next character as it is.
QStringList exec_arguments(const QString& exec) {
    QStringList arguments;
    QString current;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted && c == u'\\' && i + 1 < exec.size()) {
            current += exec[++i];
        } else if (c == u'"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == u' ' || c == u'\t')) {
            if (any || !current.isEmpty()) arguments << current;
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.isEmpty()) arguments << current;
    return arguments;
}

QStringList with_terminal(const QStringList& terminal, QStringList command) {
    return terminal.isEmpty() ? command : terminal + command;
}

launch_command as_command(const QStringList& words) {
    return {words.front(), words.mid(1)};
}

}  // namespace

std::optional<launch_command> entry_command(const QString& entry_text, const QString& entry_path,
                                            const QString& file, const QStringList& terminal) {
    const QStringList words = exec_arguments(unescaped(entry_value(entry_text, u"Exec")));
    if (words.isEmpty()) return std::nullopt;
    QStringList command;
    bool file_given = false;
    for (const QString& word : words) {
        if (word == u"%f" || word == u"%F" || word == u"%u" || word == u"%U") {
            command << file;
            file_given = true;
        } else if (word == u"%c") {
            command << unescaped(entry_value(entry_text, u"Name"));
        } else if (word == u"%k") {
            command << entry_path;
        } else if (word.size() == 2 && word[0] == u'%') {
            // %i and the deprecated codes stand for nothing here.
        } else {
            command << QString(word).replace(QStringLiteral("%%"), QStringLiteral("%"));
        }
    }
    if (!file_given) command << file;
    if (entry_value(entry_text, u"Terminal").compare(u"true", Qt::CaseInsensitive) == 0) {
        if (terminal.isEmpty()) return std::nullopt;
        command = with_terminal(terminal, command);
    }
    return as_command(command);
}

std::optional<launch_command> editor_command(const QString& file, const QString& default_entry,
                                             const QString& default_path, const QString& visual,
                                             const QString& editor, const QStringList& terminal) {
    if (!default_entry.isEmpty())
        if (auto command = entry_command(default_entry, default_path, file, terminal))
            return command;
    for (const QString& chosen : {visual, editor}) {
        QStringList words = QProcess::splitCommand(chosen);
        if (words.isEmpty()) continue;
        words << file;
        return as_command(with_terminal(terminal, words));
    }
    return std::nullopt;
}

std::optional<launch_command> browser_command(const QString& page, const QString& default_id,
                                              const QString& browser_env,
                                              const std::function<QString(const QString&)>& found) {
    if (!default_id.isEmpty() && !is_own_desktop_entry(default_id.toStdString()))
        return launch_command{QStringLiteral("xdg-open"), {page}};
    QStringList candidates = browser_env.split(u':', Qt::SkipEmptyParts);
    candidates << QStringLiteral("x-www-browser") << QStringLiteral("gnome-www-browser")
               << QStringLiteral("firefox-esr") << QStringLiteral("firefox")
               << QStringLiteral("chromium") << QStringLiteral("google-chrome")
               << QStringLiteral("epiphany-browser") << QStringLiteral("konqueror")
               << QStringLiteral("falkon");
    for (const QString& candidate : candidates) {
        QStringList words = QProcess::splitCommand(candidate);
        if (words.isEmpty()) continue;
        const QString program = found(words.front());
        if (program.isEmpty()) continue;
        // $BROWSER's entries may say where the page goes with "%s".
        bool placed = false;
        for (QString& word : words)
            if (word.contains(QStringLiteral("%s"))) {
                word.replace(QStringLiteral("%s"), page);
                placed = true;
            }
        if (!placed) words << page;
        words.front() = program;
        return as_command(words);
    }
    return std::nullopt;
}
