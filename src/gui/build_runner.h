// build_runner: runs a build or a clearing run on the window's thread with a
// busy pointer and the progress bar and percentage kept current.
#pragma once

#include <QElapsedTimer>
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
    // project's error message says why and the status line is emptied (no
    // percentage of a build that did not finish stays there).
    bool run(toc_project& project, bool clear);

    // Progress callback of the engine; context is the build_runner. The bar
    // and the percentage change only when the percentage grows (it never
    // goes back), and are painted at most once a screen frame, the last
    // percentage always.
    static void report(int percent, void* context);

  private:
    void show(int percent);

    QWidget* busy_area_;
    QProgressBar* bar_;
    status_fn status_;
    int shown_ = -1;
    qint64 frame_ms_ = 16;
    QElapsedTimer since_paint_;
};
