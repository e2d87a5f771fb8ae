// shell_launcher: opening documents and pages with the desktop's programs,
// and the system beep. Tests replace it to record instead of launching.
#pragma once

#include <QString>

class shell_launcher {
  public:
    virtual ~shell_launcher() = default;
    // Opens target with the verb "open", or for "execute" runs the program
    // named before the first blank with the rest as its parameters. An HTML
    // page opens in a web browser, never in this program. True when the
    // launch was accepted.
    virtual bool open(const QString& verb, const QString& target) = 0;
    // Opens a text file in the user's text editor. True when it started.
    virtual bool edit(const QString& path) = 0;
    // True when the desktop's opener (xdg-open) is there to open documents.
    virtual bool can_open() const = 0;
    // Why the last open or edit failed, when more than the caller's own
    // message can say (no browser, no editor); empty otherwise.
    virtual QString failure_reason() const { return {}; }
    // The default system beep.
    virtual void beep() = 0;

    // What to tell the user when opening failed: the caller's own message,
    // with the reason when there is one; or, when the opener is missing,
    // that it is.
    QString failure_text(const QString& usual) const {
        if (!can_open())
            return QStringLiteral(
                "xdg-open is missing: pages, help and templates are opened with it. Install the "
                "package xdg-utils.");
        const QString reason = failure_reason();
        return reason.isEmpty() ? usual : usual + QStringLiteral("\r\n") + reason;
    }
};
