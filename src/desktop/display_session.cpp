#include "desktop/display_session.h"

#include <unistd.h>

#include <QByteArray>
#include <vector>

namespace {

bool display_named() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

void write_stderr(std::string_view text) {
    ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
    (void)written;
}

// A message Qt logged while the application object was being made.
struct held_message {
    QtMsgType type;
    QByteArray category;
    QString text;
};

// State of the one start-up in progress (the handler is a plain function).
struct start_up {
    std::string_view no_display;
    QtMessageHandler previous = nullptr;
    std::vector<held_message> held;
};
start_up* current = nullptr;

// Qt reports a display it cannot open as a fatal message and aborts after
// the handler returns; the process ends here first, the way it ends without
// a display. Anything else waits until the start-up is known to have worked.
void hold_message(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        write_stderr(current->no_display);
        ::_exit(1);
    }
    current->held.push_back({type, QByteArray(context.category), text});
}

void pass_on(const start_up& state) {
    if (state.previous == nullptr) return;
    for (const held_message& message : state.held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        state.previous(message.type, context, message.text);
    }
}

}  // namespace

std::unique_ptr<QApplication> open_display(int& argc, char** argv, std::string_view no_display) {
    if (!display_named()) {
        write_stderr(no_display);
        return nullptr;
    }
    start_up state{no_display, nullptr, {}};
    current = &state;
    state.previous = qInstallMessageHandler(hold_message);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(state.previous);
    current = nullptr;
    pass_on(state);
    return application;
}
