// recent_projects: the paths of the last projects, most recent first.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class recent_projects {
  public:
    static constexpr int k_limit = 10;

    // Puts a non-empty path in front, drops later duplicates (exact, case
    // counts) and cuts the list to the limit. An empty path changes nothing.
    void enter(const QString& path);
    // Takes a stored list as it is (no duplicate removal, no limit).
    void assign(const QStringList& paths) { paths_ = paths; }
    // Drops the entries for which exists is false. True when any went.
    bool prune(const std::function<bool(const QString&)>& exists);
    const QStringList& entries() const { return paths_; }

  private:
    QStringList paths_;
};
