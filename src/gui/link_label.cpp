#include "gui/link_label.h"

#include <QMouseEvent>

link_label::link_label(const QString& text, QWidget* parent) : QLabel(text, parent) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Link));
    setPalette(colours);
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
}

void link_label::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}
