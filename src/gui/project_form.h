// project_form: builds the tab strip with the "Project Files" and "Format
// Options" pages and every control on them, named as documented.
#pragma once

#include "gui/main_controls.h"

class QGridLayout;

class QWidget;

class project_form {
  public:
    // Creates the controls as children of parent.
    explicit project_form(QWidget* parent);
    const main_controls& controls() const { return controls_; }

  private:
    QWidget* build_project_page();
    QWidget* build_format_page();
    void build_source_group(QWidget* page);
    void build_sources_group(QWidget* page);
    void build_destination_group(QWidget* page);
    void build_range_group(QWidget* page);
    void build_style_group(QWidget* page);
    // Which levels get numbers, where counting starts, and the classes of
    // unnumbered headings and of number spans: rows of the style grid.
    void build_numbering_rows(QWidget* group, QGridLayout* grid);
    void build_template_group(QWidget* page);
    void set_tab_order();

    main_controls controls_;
};
