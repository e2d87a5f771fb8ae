// desktop_launch: the commands that open a page in a web browser and a text
// file in a text editor, worked out from what the desktop says. They are
// plain functions of their inputs; system_shell asks the desktop and runs
// them.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct launch_command {
    QString program;
    QStringList arguments;
    bool operator==(const launch_command&) const = default;
};

// The command of a desktop entry's Exec line for file: the string value's
// escapes undone, the desktop-entry quoting split into arguments, the field
// codes %f %F %u %U replaced by file (%c by the entry's name, %k by
// entry_path, %% by %; the others dropped). An entry with Terminal=true runs
// inside terminal (its program and option, "x-terminal-emulator -e"), none
// when terminal is empty. None for an entry without Exec.
std::optional<launch_command> entry_command(const QString& entry_text, const QString& entry_path,
                                            const QString& file, const QStringList& terminal);

// A text editor for file: the desktop's default program for plain text
// (default_entry, the text of its desktop entry, empty when there is none
// or it is one of this program's), else $VISUAL, else $EDITOR, split like a
// command line, run inside terminal when there is one (they are mostly
// terminal programs) and directly otherwise.
std::optional<launch_command> editor_command(const QString& file, const QString& default_entry,
                                             const QString& default_path, const QString& visual,
                                             const QString& editor, const QStringList& terminal);

// A web browser for a page: xdg-open when the desktop's default program for
// HTML pages (default_id) is a browser of the user's, not this program;
// else the first of $BROWSER (a colon-separated list) and the usual browser
// commands that found (a lookup of a program name on PATH) returns.
std::optional<launch_command> browser_command(const QString& page, const QString& default_id,
                                              const QString& browser_env,
                                              const std::function<QString(const QString&)>& found);
