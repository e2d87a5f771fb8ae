#include "gui/build_runner.h"

#include <QProgressBar>
#include <QString>
#include <QWidget>
#include <algorithm>

#include "project/toc_project.h"
#include "toc/build_project.h"
#include "toc/clear_project.h"

build_runner::build_runner(QWidget* busy_area, QProgressBar* bar, status_fn status)
    : busy_area_(busy_area), bar_(bar), status_(std::move(status)) {}

bool build_runner::run(toc_project& project, bool clear) {
    busy_area_->setCursor(Qt::WaitCursor);
    bar_->setValue(0);
    bar_->show();
    const int result = clear ? clear_project(project, &build_runner::report, this)
                             : build_project(project, &build_runner::report, this);
    busy_area_->unsetCursor();
    bar_->hide();
    return result == 0;
}

void build_runner::report(int percent, void* context) {
    auto* runner = static_cast<build_runner*>(context);
    percent = std::clamp(percent, 0, 100);
    runner->bar_->setValue(percent);
    runner->status_(QStringLiteral("%1%").arg(percent));
    // The build keeps the thread busy: paint now, not when the loop returns.
    runner->bar_->window()->repaint();
}
