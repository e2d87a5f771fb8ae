#include "gui/recent_projects.h"

void recent_projects::enter(const QString& path) {
    if (path.isEmpty()) return;
    paths_.prepend(path);
    paths_.removeDuplicates();  // keeps the first, most recent occurrence
    while (paths_.size() > k_limit) paths_.removeLast();
}

bool recent_projects::prune(const std::function<bool(const QString&)>& exists) {
    return paths_.removeIf([&](const QString& path) { return !exists(path); }) > 0;
}
