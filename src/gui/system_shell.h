// system_shell: the shell_launcher of a real desktop.
#pragma once

#include <QStringList>

#include "gui/shell_launcher.h"

// The program and arguments a shell request starts.
struct shell_command {
    QString program;
    QStringList arguments;
};

// "execute" splits the target at its first blank into a program and its
// parameters (split like a command line); any other verb opens the whole
// target with xdg-open. An executable file is run rather than opened. A path
// that is not valid UTF-8 goes to xdg-open as a file URL with its bytes
// percent-encoded, so the opener gets the very file.
shell_command make_shell_command(const QString& verb, const QString& target);

// Pages open in a web browser (desktop_launch.h), text files in a text
// editor, anything else through xdg-open.
class system_shell : public shell_launcher {
  public:
    bool open(const QString& verb, const QString& target) override;
    bool edit(const QString& path) override;
    bool can_open() const override;
    QString failure_reason() const override { return reason_; }
    void beep() override;

  private:
    bool open_page(const QString& page);

    QString reason_;
};
