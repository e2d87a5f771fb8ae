#include "gui/help_context.h"

#include <QVariant>
#include <QWidget>

namespace {
const char* const k_property = "help_context";
}

void set_help_context(QWidget* widget, int context) {
    widget->setProperty(k_property, context);
}

int help_context_of(const QWidget* widget) {
    for (; widget; widget = widget->parentWidget()) {
        const int context = widget->property(k_property).toInt();
        if (context != 0) return context;
    }
    return 0;
}
