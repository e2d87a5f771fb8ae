// path_choosers: the "Select..." and "Save as..." buttons that put a chosen
// file into the source or destination field.
#pragma once

#include <QObject>

#include "gui/main_controls.h"

class file_chooser;

class path_choosers : public QObject {
    Q_OBJECT
  public:
    path_choosers(const main_controls& controls, file_chooser& chooser);

    // The single source file.
    void BitBtn6Click();
    // Multiple files: the destination, an existing file or a new one.
    void BitBtn8Click();
    // Single file: where the page with its TOC is saved.
    void BitBtn5Click();

  private:
    const main_controls& controls_;
    file_chooser& chooser_;
};
