// The application object of a Qt test suite without a main of its own.
#pragma once

#include <QApplication>

// Made on first use and never destroyed: widgets of the suite may outlive any
// exit-time order.
inline QApplication& test_application() {
    static int argc = 1;
    static char name[] = "orvane_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
