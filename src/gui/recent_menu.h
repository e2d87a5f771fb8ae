// recent_menu: the "&Recent Projects" submenu of five items over the list of
// recent project paths.
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
    // Takes a stored list as it is and rebuilds.
    void assign(const QStringList& paths);
    const QStringList& entries() const { return list_.entries(); }

  signals:
    // An item was chosen: the path of the entry named by the digit after
    // the "&" of its caption.
    void open_requested(const QString& path);

  private:
    void rebuild();
    void item_triggered(const QAction* item);

    recent_projects list_;
    QMenu* menu_;
    QAction* items_[recent_projects::k_limit] = {};
};
