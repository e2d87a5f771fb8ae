#include "desktop/screen_centre.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QPoint centred_position(QSize screen, QSize window) {
    const int left = window.width() > screen.width() ? 0 : (screen.width() - window.width()) / 2;
    const int top = window.height() > screen.height() ? 0 : (screen.height() - window.height()) / 2;
    return {left, top};
}

void centre_on_screen(QWidget* widget) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    widget->move(area.topLeft() + centred_position(area.size(), widget->frameGeometry().size()));
}
