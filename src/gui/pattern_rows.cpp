#include "gui/pattern_rows.h"

#include <QFont>
#include <QListWidget>

#include "desktop/byte_text.h"
#include "driver/source_list.h"
#include "project/project_paths.h"
#include "project/toc_project.h"

namespace {

constexpr int k_pattern_role = Qt::UserRole + 1;
// A tool tip lists this many pages at most.
constexpr size_t k_shown_pages = 40;

// page as the list shows it: relative to base when it lies inside.
QString shown_page(const std::string& page, const std::string& base) {
    if (!base.empty() && page.size() > base.size() + 1 && page.starts_with(base) &&
        page[base.size()] == '/')
        return qt_text(std::string_view(page).substr(base.size() + 1));
    return qt_text(page);
}

QString page_count(size_t pages) {
    return pages == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(pages);
}

}  // namespace

bool is_pattern_row(const QListWidgetItem* item) {
    return item->data(k_pattern_role).isValid();
}

QString row_line(const QListWidgetItem* item) {
    const QVariant pattern = item->data(k_pattern_role);
    return pattern.isValid() ? pattern.toString() : item->text();
}

QListWidgetItem* add_pattern_row(QListWidget* list, const QString& pattern) {
    auto* item = new QListWidgetItem(pattern, list);
    item->setData(k_pattern_role, pattern);
    QFont font = item->font();
    font.setItalic(true);
    item->setFont(font);
    return item;
}

void show_pattern_pages(QListWidget* list, const toc_project& project, const std::string& base) {
    const std::vector<listed_source> lines = list_sources(resolved_project(project, base));
    int row = 0;
    for (const listed_source& line : lines) {
        if (row >= list->count()) return;
        QListWidgetItem* item = list->item(row++);
        if (!line.is_pattern || !is_pattern_row(item)) continue;
        const QString pattern = row_line(item);
        QString tip;
        if (!line.error.empty()) {
            item->setText(pattern + QStringLiteral("   (no page)"));
            tip = qt_text(line.error.view());
        } else {
            item->setText(pattern + QStringLiteral("   (") + page_count(line.pages.size()) +
                          QStringLiteral(")"));
            tip = QStringLiteral("Pattern for ") + page_count(line.pages.size()) +
                  QStringLiteral(":");
            for (size_t i = 0; i < line.pages.size() && i < k_shown_pages; ++i)
                tip += QStringLiteral("\n") + shown_page(line.pages[i], base);
            if (line.pages.size() > k_shown_pages)
                tip += QStringLiteral("\n... and %1 more").arg(line.pages.size() - k_shown_pages);
        }
        item->setToolTip(tip);
        item->setData(Qt::AccessibleDescriptionRole, tip);
    }
}
