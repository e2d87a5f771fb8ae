// Opening the display for a program with windows, without the toolkit's abort
// when there is none.
#pragma once

#include <QApplication>
#include <memory>
#include <string_view>

// The application object on the user's display. Without a display (none of
// DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM set) it writes no_display to
// standard error and returns null. When a display is named but cannot be
// opened it writes the same text and ends the process with exit code 1 (Qt
// itself would abort). What Qt logs while it starts is held back and passed on
// once the display is open. argc must outlive the application object.
std::unique_ptr<QApplication> open_display(int& argc, char** argv, std::string_view no_display);
