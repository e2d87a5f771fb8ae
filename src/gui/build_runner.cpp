#include "gui/build_runner.h"

#include <QLocale>
#include <QProgressBar>
#include <QThread>
#include <QWidget>
#include <algorithm>

#include "desktop/byte_text.h"
#include "driver/build_project.h"
#include "driver/clear_project.h"
#include "files/temp_registry.h"
#include "project/project_paths.h"

build_runner::build_runner(QWidget* busy_area, QProgressBar* bar, status_fn status, QObject* parent)
    : QObject(parent), busy_area_(busy_area), bar_(bar), status_(std::move(status)) {}

build_runner::~build_runner() {
    if (!thread_) return;
    cancel();
    thread_->wait();
}

bool build_runner::start(const toc_project& job, bool clear, const std::string& shown_folder) {
    if (thread_) return false;
    job_ = job;
    clear_ = clear;
    cancel_ = false;
    {
        std::lock_guard lock(mutex_);
        percent_ = 0;
        page_ = 0;
        pages_ = job.single() ? 1 : job.source.count() + 1;
        writing_ = false;
        current_.clear();
        shown_folder_ = shown_folder;
    }
    busy_area_->setCursor(Qt::BusyCursor);
    bar_->setValue(0);
    bar_->show();
    thread_ = QThread::create([this] {
        result_ = clear_ ? clear_project(job_, &build_runner::report, this,
                                         &build_runner::report_page, &cancel_)
                         : build_project(job_, &build_runner::report, this,
                                         &build_runner::report_page, &cancel_);
        // A termination signal held back while the run put its files in
        // place ends the program now.
        temp_registry_outcome_settled();
    });
    connect(thread_, &QThread::finished, this, &build_runner::end_run);
    thread_->start();
    return true;
}

void build_runner::wait() {
    if (!thread_) return;
    thread_->wait();
    end_run();
}

void build_runner::end_run() {
    if (!thread_) return;  // wait() came first
    thread_->wait();
    thread_->deleteLater();
    thread_ = nullptr;
    busy_area_->unsetCursor();
    bar_->hide();
    const bool done = result_ == 0;
    if (done) bar_->setValue(100);
    emit finished(done, !done && cancel_, qt_text(job_.error_message.view()));
}

void build_runner::report(int percent, void* context) {
    auto* self = static_cast<build_runner*>(context);
    {
        std::lock_guard lock(self->mutex_);
        // The bar never goes back.
        self->percent_ = std::max(self->percent_, std::clamp(percent, 0, 100));
    }
    self->post_refresh();
}

void build_runner::report_page(std::string_view path, void* context) {
    auto* self = static_cast<build_runner*>(context);
    {
        std::lock_guard lock(self->mutex_);
        if (path.empty()) {
            self->writing_ = true;
        } else {
            self->page_ = std::min(self->page_ + 1, self->pages_);
            self->current_ = self->shown_folder_.empty()
                                 ? std::string(path)
                                 : path_for_project(path, {}, self->shown_folder_);
        }
    }
    self->post_refresh();
}

void build_runner::post_refresh() {
    // One refresh waits in the window's queue at most; it shows whatever is
    // newest when it runs.
    if (refresh_posted_.exchange(true)) return;
    QMetaObject::invokeMethod(this, &build_runner::refresh, Qt::QueuedConnection);
}

void build_runner::refresh() {
    refresh_posted_ = false;
    if (!thread_) return;  // the run has ended meanwhile
    QString line;
    int percent = 0;
    {
        std::lock_guard lock(mutex_);
        percent = percent_;
        // A run asked to stop says so until it has (removing what it staged
        // may take a moment).
        if (cancel_)
            line = QStringLiteral("Cancelling...");
        else if (writing_)
            line = QStringLiteral("Writing the changed files...");
        else if (page_ > 0)
            line =
                QStringLiteral("Page %1 of %2: %3")
                    .arg(QLocale().toString(page_), QLocale().toString(pages_), qt_text(current_));
    }
    bar_->setValue(percent);
    status_(line);
}
