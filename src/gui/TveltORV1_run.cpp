// Builds and clearing runs of the main window: they run on a thread of their
// own while the window stays responsive, with the commands that would
// conflict with them disabled, and can be cancelled until they begin to put
// their files in place.
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "desktop/byte_text.h"
#include "desktop/dialogs.h"
#include "gui/TveltORV1.h"
#include "gui/build_runner.h"
#include "gui/shell_launcher.h"
#include "project/project_paths.h"

bool TveltORV1::running() const {
    return runner_->running();
}

void TveltORV1::wait_for_run() {
    runner_->wait();
}

void TveltORV1::ResultFile1Click() {
    run_engine(false);
}

void TveltORV1::ClearTOC1Click() {
    if (running()) return;
    if (!dialogs_.question(
            this,
            QStringLiteral("Are you sure you wish to clear the TOC and all HTML code "
                           "inserted by the program from the project's files?"),
            QMessageBox::No))
        return;
    run_engine(true);
}

void TveltORV1::CancelRun1Click() {
    if (!running()) return;
    runner_->cancel();
    cancel_action_->setEnabled(false);
    cancel_button_->setEnabled(false);
    set_status(QStringLiteral("Cancelling..."));
}

void TveltORV1::run_engine(bool clear) {
    if (running()) return;
    read_record();
    // The run works on a copy whose relative paths are taken from the
    // project's folder; the record keeps them as the user wrote them.
    const toc_project job = resolved_project(project_, project_folder());
    set_running(true);
    runner_->start(job, clear, project_folder());
}

void TveltORV1::run_ended(bool done, bool cancelled, const QString& error) {
    const bool clear = runner_->clearing();
    set_running(false);
    project_.error_message = byte_text(error);
    if (cancelled) {
        set_status(error);
    } else if (!done) {
        set_status(QString());
        warn(error);
    } else {
        set_view_result_enabled(true);
        shell_.beep();
        set_status(clear ? QStringLiteral("Clearance is done")
                         : QStringLiteral("HTML TOC has been created"));
    }
    emit run_finished();
}

// While a run goes on the project cannot be edited, replaced or run again;
// it can be saved, and the run cancelled.
void TveltORV1::set_running(bool running) {
    for (QWidget* widget : run_blocked_) widget->setEnabled(!running);
    for (QAction* action :
         {new_action_, open_action_, build_action_, clear_action_, reinit_action_})
        action->setEnabled(!running);
    recent_submenu_->setEnabled(!running && !recent().isEmpty());
    for (const char* name : {"SpeedButton4", "SpeedButton5", "SpeedButton1", "SpeedButton2"})
        findChild<QToolButton*>(QString::fromLatin1(name))->setEnabled(!running);
    if (running) set_view_result_enabled(false);
    cancel_action_->setEnabled(running);
    cancel_button_->setEnabled(running);
    cancel_button_->setVisible(running);
    if (running) cancel_button_->setFocus();
}

// Before the window closes: true when no run goes on, or the user chose to
// cancel it (it has ended when this returns).
bool TveltORV1::settle_run() {
    if (!running()) return true;
    const QString question =
        runner_->clearing()
            ? QStringLiteral(
                  "The project's files are being cleared. Cancel that and close the "
                  "window? No file will be changed.")
            : QStringLiteral(
                  "The TOC is being built. Cancel the build and close the window? No "
                  "file will be changed.");
    if (!dialogs_.question(this, question, QMessageBox::No)) return false;
    runner_->cancel();
    runner_->wait();
    return true;
}
