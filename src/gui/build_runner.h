// build_runner: runs a build or a clearing run on the window's thread with a
// busy pointer and the progress bar and percentage kept current.
#pragma once

#include <functional>

class QProgressBar;
class QString;
class QWidget;
class toc_project;

class build_runner {
  public:
    using status_fn = std::function<void(const QString&)>;

    build_runner(QWidget* busy_area, QProgressBar* bar, status_fn status);

    // Runs the build (or the clearing run); true on success, else the
    // project's error message says why.
    bool run(toc_project& project, bool clear);

    // Progress callback of the engine; context is the build_runner.
    static void report(int percent, void* context);

  private:
    QWidget* busy_area_;
    QProgressBar* bar_;
    status_fn status_;
};
