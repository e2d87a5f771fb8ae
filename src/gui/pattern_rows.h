// pattern_rows: the rows of the source list that name pages by a pattern.
//
// A pattern row holds the pattern as its text, set apart by an italic font
// and a count of its pages after it; its tool tip lists the pages the
// pattern stands for now (or why it stands for none), as a run would list
// them.
#pragma once

#include <QString>
#include <string>

class QListWidget;
class QListWidgetItem;
class toc_project;

// Whether item names pages by a pattern.
bool is_pattern_row(const QListWidgetItem* item);
// The pattern or page of a row, without the count a pattern row shows.
QString row_line(const QListWidgetItem* item);
// Adds a row for a pattern.
QListWidgetItem* add_pattern_row(QListWidget* list, const QString& pattern);
// Shows each pattern row's pages, from the list as project holds it with
// its relative paths taken from base (empty: the current folder).
void show_pattern_pages(QListWidget* list, const toc_project& project, const std::string& base);
