#include "gui/recent_menu.h"

#include <QAction>
#include <QMenu>

#include "desktop/byte_text.h"
#include "files/vtfile.h"

namespace {

bool project_exists(const QString& path) {
    vtfile_node info;
    return vtfile_info(byte_text(path), info) && !info.is_directory;
}

// "&1" to "&9", then "1&0": each item has a key of its own.
QString item_number(int index) {
    const QString number = QString::number(index + 1);
    return number.left(number.size() - 1) + u'&' + number.right(1);
}

}  // namespace

recent_menu::recent_menu(QMenu* parent_menu) : QObject(parent_menu) {
    menu_ = parent_menu->addMenu(QStringLiteral("&Recent Projects"));
    menu_->setObjectName(QStringLiteral("RecentProjects1"));
    for (int i = 0; i < recent_projects::k_limit; ++i) {
        QAction* item = menu_->addAction(item_number(i) + QStringLiteral(" item"));
        item->setObjectName(QStringLiteral("RecentProject%1").arg(i + 1));
        connect(item, &QAction::triggered, this, [this, i] { item_triggered(i); });
        items_[i] = item;
    }
    connect(menu_, &QMenu::aboutToShow, this, &recent_menu::prune);
    rebuild();
}

void recent_menu::enter(const QString& path) {
    list_.enter(path);
    rebuild();
}

void recent_menu::assign(const QStringList& paths) {
    list_.assign(paths);
    list_.prune(project_exists);
    rebuild();
}

void recent_menu::prune() {
    if (list_.prune(project_exists)) rebuild();
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
        items_[i]->setText(item_number(i) + u' ' + shown);
    }
}

void recent_menu::item_triggered(int index) {
    if (index < 0 || index >= list_.entries().size()) return;
    // A copy: opening the project reorders the list under the receiver.
    const QString path = list_.entries()[index];
    emit open_requested(path);
}
