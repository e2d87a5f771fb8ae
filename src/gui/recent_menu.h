// recent_menu: the "&Recent Projects" submenu over the list of recent
// project paths. Projects that no longer exist leave the list when it is
// taken from the settings and whenever the submenu opens.
#pragma once

#include <QObject>

#include "gui/recent_projects.h"

class QAction;
class QMenu;

class recent_menu : public QObject {
    Q_OBJECT
  public:
    // Adds the submenu to parent_menu.
    explicit recent_menu(QMenu* parent_menu);

    // Enters a path into the list (see recent_projects) and rebuilds.
    void enter(const QString& path);
    // Takes a stored list, without the projects that are gone, and rebuilds.
    void assign(const QStringList& paths);
    const QStringList& entries() const { return list_.entries(); }
    QMenu* menu() const { return menu_; }

  signals:
    // An item was chosen: the path of its entry.
    void open_requested(const QString& path);

  private:
    void rebuild();
    void prune();
    void item_triggered(int index);

    recent_projects list_;
    QMenu* menu_;
    QAction* items_[recent_projects::k_limit] = {};
};
