// TDescriptionBox: the modal box that shows a template's description.
#pragma once

#include <QDialog>

class QLabel;

class TDescriptionBox : public QDialog {
    Q_OBJECT
  public:
    explicit TDescriptionBox(QWidget* parent = nullptr);
    // Sets the caption and the text for the next showing. The text wraps and
    // is cut at the bottom edge; "&" shows as itself.
    void set_description(const QString& caption, const QString& text);

  private:
    QLabel* comments_;
};
