// Control names: every widget that tests, help or people look for carries its
// documented name as objectName.
#pragma once

#include <QString>

// Names widget and returns it, so it can be named where it is made.
template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
