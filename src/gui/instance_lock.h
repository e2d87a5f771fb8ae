// The marker that tells other programs (the installer) that the main window is
// open: a lock file held while the window lives.
#pragma once

#include <QStandardPaths>
#include <QString>

// Path of the main window's lock file in the user's runtime folder. Inline so
// the installer can use it without linking the window library.
inline QString main_window_lock_path() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/TveltORV1.lock");
}
