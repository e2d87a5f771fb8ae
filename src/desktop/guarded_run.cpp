#include "desktop/guarded_run.h"

#include <exception>

#include "desktop/byte_text.h"
#include "desktop/dialogs.h"

int run_with_failure_box(dialogs& boxes, const std::function<int()>& body) {
    try {
        return body();
    } catch (const std::exception& error) {
        boxes.message(nullptr, QMessageBox::Critical, qt_text(error.what()), QString());
        return 1;
    }
}
