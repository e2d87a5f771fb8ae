// shell_launcher: opening documents and pages with the desktop's programs,
// and the system beep. Tests replace it to record instead of launching.
#pragma once

#include <QString>

class shell_launcher {
  public:
    virtual ~shell_launcher() = default;
    // Opens target with the verb "open", or for "execute" runs the program
    // named before the first blank with the rest as its parameters. True when
    // the launch was accepted.
    virtual bool open(const QString& verb, const QString& target) = 0;
    // True when the desktop's opener (xdg-open) is there to open documents.
    virtual bool can_open() const = 0;
    // The default system beep.
    virtual void beep() = 0;

    // What to tell the user when opening failed: the caller's own message,
    // or, when the opener is missing, that it is.
    QString failure_text(const QString& usual) const {
        return can_open() ? usual
                          : QStringLiteral(
                                "xdg-open is missing: pages, help and templates are opened with "
                                "it. Install the package xdg-utils.");
    }
};
