// link_label: a label drawn like a web link (underlined, hand pointer) that
// reports a click.
#pragma once

#include <QLabel>

class link_label : public QLabel {
    Q_OBJECT
  public:
    explicit link_label(const QString& text, QWidget* parent = nullptr);

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
