#include "gui/recent_menu.h"

#include <QAction>
#include <QMenu>

recent_menu::recent_menu(QMenu* parent_menu) : QObject(parent_menu) {
    menu_ = parent_menu->addMenu(QStringLiteral("&Recent Projects"));
    menu_->setObjectName(QStringLiteral("RecentProjects1"));
    for (int i = 0; i < recent_projects::k_limit; ++i) {
        QAction* item = menu_->addAction(QStringLiteral("&%1 item").arg(i + 1));
        item->setObjectName(QStringLiteral("RecentProject%1").arg(i + 1));
        connect(item, &QAction::triggered, this, [this, item] { item_triggered(item); });
        items_[i] = item;
    }
    rebuild();
}

void recent_menu::enter(const QString& path) {
    list_.enter(path);
    rebuild();
}

void recent_menu::assign(const QStringList& paths) {
    list_.assign(paths);
    rebuild();
}

void recent_menu::rebuild() {
    const QStringList& paths = list_.entries();
    menu_->setEnabled(!paths.isEmpty());
    for (int i = 0; i < recent_projects::k_limit; ++i) {
        items_[i]->setVisible(i < paths.size());
        if (i >= paths.size()) continue;
        // An "&" inside a path is shown as itself, not as a shortcut mark.
        QString shown = paths[i];
        shown.replace(QStringLiteral("&"), QStringLiteral("&&"));
        items_[i]->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
    }
}

void recent_menu::item_triggered(const QAction* item) {
    const QString caption = item->text();
    const qsizetype mark = caption.indexOf(u'&');
    if (mark < 0 || mark + 1 >= caption.size()) return;
    const int index = caption[mark + 1].digitValue() - 1;
    if (index < 0 || index >= list_.entries().size()) return;
    // A copy: opening the project reorders the list under the receiver.
    const QString path = list_.entries()[index];
    emit open_requested(path);
}
