// Centring a window on the screen.
#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

// Top-left corner that centres a window of size window on a screen of size
// screen; 0 on an axis where the window is larger than the screen.
QPoint centred_position(QSize screen, QSize window);
// Moves widget to the centre of the primary screen.
void centre_on_screen(QWidget* widget);
