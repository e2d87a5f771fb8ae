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
    // The default system beep.
    virtual void beep() = 0;
};
