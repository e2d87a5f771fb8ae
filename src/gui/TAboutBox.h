// TAboutBox: the modal box that names the product.
#pragma once

#include <QDialog>

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    // icon_file: the program's icon (may be missing; a standard icon is used).
    explicit TAboutBox(const QString& icon_file, QWidget* parent = nullptr);
};
