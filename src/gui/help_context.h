// Help contexts: each widget may carry the number of its help page; a widget
// without one uses its container's.
#pragma once

class QWidget;

void set_help_context(QWidget* widget, int context);
// The context of widget or of its nearest container that has one; 0 when none.
int help_context_of(const QWidget* widget);
