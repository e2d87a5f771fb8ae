// build_runner: runs a build or a clearing run on a thread of its own, so
// the window stays responsive, and shows its progress: one percentage on the
// bar, and in the status line the page at hand ("Page 3 of 20: a.html") or
// the last phase. A run can be cancelled until it begins to put its files in
// place; a cancelled run changes no file.
//
// The engine calls back on the run's thread; the runner keeps the latest
// figures under a lock and posts at most one refresh at a time to the
// window's thread, however often the engine reports.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "project/toc_project.h"

class QProgressBar;
class QThread;
class QWidget;

class build_runner : public QObject {
    Q_OBJECT
  public:
    using status_fn = std::function<void(const QString&)>;

    // bar shows the percentage; busy_area gets the busy pointer; status
    // receives the page lines.
    build_runner(QWidget* busy_area, QProgressBar* bar, status_fn status,
                 QObject* parent = nullptr);
    ~build_runner() override;

    // Starts a build (or a clearing run) of job, whose paths are absolute;
    // pages are named relative to shown_folder in the status line. False
    // when a run is going on.
    bool start(const toc_project& job, bool clear, const std::string& shown_folder);
    bool running() const { return thread_ != nullptr; }
    bool clearing() const { return clear_; }
    // Asks the run to stop before its next page; it then ends as failed
    // with the engine's "Build cancelled." or "Clearing cancelled.".
    void cancel() { cancel_ = true; }
    // Blocks until the run has ended and finished() was emitted.
    void wait();

    // The engine's callbacks; context is the build_runner (any thread).
    static void report(int percent, void* context);
    static void report_page(std::string_view path, void* context);

  signals:
    // The run ended, on the window's thread: done on success, else error
    // is the engine's message; cancelled when it stopped on request.
    void finished(bool done, bool cancelled, const QString& error);

  private:
    void refresh();
    void post_refresh();
    void end_run();

    QWidget* busy_area_;
    QProgressBar* bar_;
    status_fn status_;
    QThread* thread_ = nullptr;
    toc_project job_;
    bool clear_ = false;
    int result_ = 0;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> refresh_posted_{false};

    // Written by the run's thread, read by the window's, under mutex_.
    std::mutex mutex_;
    int percent_ = 0;
    int page_ = 0;  // pages begun
    int pages_ = 0;
    bool writing_ = false;
    std::string current_;
    std::string shown_folder_;
};
