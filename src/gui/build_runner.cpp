#include "gui/build_runner.h"

#include <QProgressBar>
#include <QScreen>
#include <QString>
#include <QWidget>
#include <algorithm>

#include "driver/build_project.h"
#include "driver/clear_project.h"
#include "project/toc_project.h"

build_runner::build_runner(QWidget* busy_area, QProgressBar* bar, status_fn status)
    : busy_area_(busy_area), bar_(bar), status_(std::move(status)) {}

bool build_runner::run(toc_project& project, bool clear) {
    busy_area_->setCursor(Qt::WaitCursor);
    bar_->setValue(0);
    bar_->show();
    shown_ = -1;
    const QScreen* screen = bar_->screen();
    const double rate = screen ? screen->refreshRate() : 60.0;
    frame_ms_ = rate > 1.0 ? static_cast<qint64>(1000.0 / rate) : 16;
    since_paint_.invalidate();
    const int result = clear ? clear_project(project, &build_runner::report, this)
                             : build_project(project, &build_runner::report, this);
    busy_area_->unsetCursor();
    bar_->hide();
    if (result != 0) status_(QString());
    return result == 0;
}

void build_runner::report(int percent, void* context) {
    static_cast<build_runner*>(context)->show(std::clamp(percent, 0, 100));
}

void build_runner::show(int percent) {
    if (percent <= shown_) return;
    shown_ = percent;
    bar_->setValue(percent);
    status_(QStringLiteral("%1%").arg(percent));
    if (percent < 100 && since_paint_.isValid() && since_paint_.elapsed() < frame_ms_) return;
    since_paint_.start();
    // The build keeps the thread busy: paint the status bar (bar and
    // percentage) now, not when the loop returns.
    bar_->parentWidget()->repaint();
}
