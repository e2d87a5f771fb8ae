#include "gui/project_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include "desktop/named_widget.h"
#include "gui/help_context.h"
#include "gui/link_label.h"

// Mnemonics: each page's letters differ from one another and from the menu
// bar's (F, T, O, V, H); widgets that never show together may share one.

namespace {

constexpr int k_project_help = 4;
constexpr int k_source_help = 5;
constexpr int k_format_help = 7;

// Hints show in the status line (and as a tool tip).
void set_hint(QWidget* widget, const QString& hint) {
    widget->setStatusTip(hint);
    widget->setToolTip(hint);
}

QComboBox* heading_levels(QWidget* parent, const char* name) {
    auto* box = named(new QComboBox(parent), name);
    for (int level = 1; level <= 6; ++level) box->addItem(QStringLiteral("<H%1>").arg(level));
    return box;
}

// A label that names field, for the eye, the mnemonic and screen readers.
QLabel* label_for(QWidget* field, const QString& text, QWidget* parent, const char* name = "") {
    auto* label = named(new QLabel(text, parent), name);
    label->setBuddy(field);
    // Not every kind of field takes its name from its label by itself.
    field->setAccessibleName(QString(text).remove(u'&').remove(u':'));
    return label;
}

// A scroll area that asks for its page's whole size (Qt's caps it at a few
// dozen lines), while it can be made as small as a screen needs.
class page_area : public QScrollArea {
  public:
    QSize sizeHint() const override {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
};

// The page in a scroll area: on a small screen (or a large scale factor) the
// window may be smaller than the page, never cut off.
QScrollArea* scrolled(QWidget* page) {
    auto* area = new page_area;
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

}  // namespace

project_form::project_form(QWidget* parent) {
    controls_.tabs = named(new QTabWidget(parent), "TabControl1");
    controls_.tabs->addTab(scrolled(build_project_page()), QStringLiteral("Project Files"));
    controls_.tabs->addTab(scrolled(build_format_page()), QStringLiteral("Format Options"));
    set_tab_order();
}

QWidget* project_form::build_project_page() {
    auto* page = controls_.project_page = named(new QWidget, "ProjectFilesPage");
    set_help_context(page, k_project_help);
    auto* kind = new QHBoxLayout;
    controls_.single =
        named(new QRadioButton(QStringLiteral("&Single File"), page), "RadioButton1");
    controls_.multiple =
        named(new QRadioButton(QStringLiteral("&Multiple Files"), page), "RadioButton2");
    controls_.single->setChecked(true);
    kind->addWidget(controls_.single);
    kind->addWidget(controls_.multiple);
    kind->addStretch(1);

    build_source_group(page);
    build_sources_group(page);
    build_destination_group(page);
    controls_.single_spacer = new QWidget(page);
    controls_.single_spacer->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(kind);
    layout->addWidget(controls_.source_group);
    layout->addWidget(controls_.sources_group, 1);
    layout->addWidget(controls_.destination_group);
    layout->addWidget(controls_.single_spacer, 1);
    return page;
}

void project_form::build_source_group(QWidget* page) {
    auto* group = controls_.source_group =
        named(new QGroupBox(QStringLiteral("Source File"), page), "GroupBox3");
    set_help_context(group, k_project_help);
    controls_.source_field = named(new QLineEdit(group), "Edit2");
    set_hint(controls_.source_field,
             QStringLiteral("The file which header tags will be processed to create a TOC"));
    set_help_context(controls_.source_field, k_source_help);
    controls_.source_select =
        named(new QPushButton(QStringLiteral("S&elect..."), group), "BitBtn6");
    auto* row = new QHBoxLayout(group);
    row->addWidget(label_for(controls_.source_field, QStringLiteral("&Page:"), group));
    row->addWidget(controls_.source_field, 1);
    row->addWidget(controls_.source_select);
}

void project_form::build_sources_group(QWidget* page) {
    auto* group = controls_.sources_group =
        named(new QGroupBox(QStringLiteral("Source Files"), page), "GroupBox2");
    set_help_context(group, k_project_help);
    auto* list = controls_.source_list = named(new QListWidget(group), "ListView1");
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    controls_.add_files = named(new QPushButton(QStringLiteral("&Add Files"), group), "BitBtn1");
    controls_.add_folder =
        named(new QPushButton(QStringLiteral("Add Folde&r..."), group), "BitBtn9");
    set_hint(controls_.add_folder,
             QStringLiteral("Adds every HTML page in a folder and its subfolders"));
    controls_.delete_files =
        named(new QPushButton(QStringLiteral("Delete F&iles"), group), "BitBtn2");
    controls_.move_up = named(new QPushButton(QStringLiteral("Move &Up"), group), "BitBtn3");
    controls_.move_down = named(new QPushButton(QStringLiteral("Move Dow&n"), group), "BitBtn4");
    for (QPushButton* button : {controls_.delete_files, controls_.move_up, controls_.move_down})
        button->setEnabled(false);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {controls_.add_files, controls_.add_folder, controls_.delete_files,
                                controls_.move_up, controls_.move_down})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto* column = new QVBoxLayout;
    column->addWidget(label_for(list, QStringLiteral("Pa&ges, in TOC order:"), group));
    column->addWidget(list, 1);
    auto* row = new QHBoxLayout(group);
    row->addLayout(column, 1);
    row->addLayout(buttons);
    group->hide();
}

void project_form::build_destination_group(QWidget* page) {
    auto* group = controls_.destination_group =
        named(new QGroupBox(QStringLiteral("Destination File"), page), "GroupBox1");
    set_help_context(group, k_project_help);
    controls_.overwrite_row = new QWidget(group);
    controls_.overwrite =
        named(new QCheckBox(QStringLiteral("Over&write source file"), controls_.overwrite_row),
              "CheckBox2");
    set_hint(
        controls_.overwrite,
        QStringLiteral("If this checkbox is checked then TOC will be inserted into the source file "
                       "directly"));
    controls_.overwrite->setChecked(true);
    auto* overwrite_layout = new QHBoxLayout(controls_.overwrite_row);
    overwrite_layout->setContentsMargins(0, 0, 0, 0);
    overwrite_layout->addWidget(controls_.overwrite);

    controls_.destination_field = named(new QLineEdit(group), "Edit1");
    controls_.destination_save =
        named(new QPushButton(QStringLiteral("Save &as..."), group), "BitBtn5");
    controls_.destination_select =
        named(new QPushButton(QStringLiteral("Se&lect..."), group), "BitBtn8");
    controls_.destination_select->hide();
    auto* path_row = new QHBoxLayout;
    path_row->addWidget(
        label_for(controls_.destination_field, QStringLiteral("&Destination:"), group));
    path_row->addWidget(controls_.destination_field, 1);
    path_row->addWidget(controls_.destination_save);
    path_row->addWidget(controls_.destination_select);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(controls_.overwrite_row);
    layout->addLayout(path_row);
}

QWidget* project_form::build_format_page() {
    auto* page = controls_.format_page = named(new QWidget, "FormatOptionsPage");
    set_help_context(page, k_format_help);
    build_range_group(page);
    build_style_group(page);
    build_template_group(page);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(controls_.range_group);
    layout->addWidget(controls_.style_group);
    layout->addWidget(controls_.template_group);
    layout->addStretch(1);
    return page;
}

void project_form::build_range_group(QWidget* page) {
    auto* group = controls_.range_group =
        named(new QGroupBox(QStringLiteral("Header tag range"), page), "GroupBox4");
    set_help_context(group, k_format_help);
    controls_.range_from = heading_levels(group, "ComboBox1");
    controls_.range_to = heading_levels(group, "ComboBox2");
    controls_.process_title = named(
        new QCheckBox(QStringLiteral("Put pa&ge titles [<title> tag] to TOC"), group), "CheckBox3");
    auto* row = new QHBoxLayout(group);
    row->addWidget(label_for(controls_.range_from, QStringLiteral("&Levels from"), group));
    row->addWidget(controls_.range_from);
    row->addWidget(label_for(controls_.range_to, QStringLiteral("&up to"), group, "Label1"));
    row->addWidget(controls_.range_to);
    row->addSpacing(16);
    row->addWidget(controls_.process_title);
    row->addStretch(1);
}

void project_form::build_style_group(QWidget* page) {
    auto* group = controls_.style_group =
        named(new QGroupBox(QStringLiteral("Style options"), page), "GroupBox5");
    set_help_context(group, k_format_help);
    controls_.process_numbering = named(
        new QCheckBox(QStringLiteral("Process &numbering in decimal notation [like \"1.4.2.\"]"),
                      group),
        "CheckBox4");
    controls_.insert_local_toc =
        named(new QCheckBox(QStringLiteral("Insert lo&cal TOC into each source file"), group),
              "CheckBox1");
    controls_.anchor_ids = named(
        new QCheckBox(QStringLiteral("Link headings by their &ids [HTML5 id=\"...\"]"), group),
        "CheckBox5");
    set_hint(controls_.anchor_ids,
             QStringLiteral("Headings without an id get a readable one instead of a named anchor"));
    controls_.anchor_attributes = named(new QLineEdit(group), "Edit3");
    set_hint(controls_.anchor_attributes,
             QStringLiteral("Put here attributes' text like name=\"value\""));
    controls_.anchor_attributes_label =
        label_for(controls_.anchor_attributes, QStringLiteral("Named anchors' &attributes:"), group,
                  "Label2");
    controls_.indent = named(new QLineEdit(group), "Edit4");
    set_hint(controls_.indent,
             QStringLiteral(
                 "This value can be used in a template, but it is not required and is optional"));
    controls_.skip_class = named(new QLineEdit(group), "Edit5");
    set_hint(controls_.skip_class,
             QStringLiteral("Headings whose class attribute holds this word are left out of TOC"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(controls_.process_numbering, 0, 0, 1, 2);
    grid->addWidget(controls_.insert_local_toc, 1, 0, 1, 2);
    grid->addWidget(controls_.anchor_ids, 2, 0, 1, 2);
    grid->addWidget(controls_.anchor_attributes_label, 3, 0);
    grid->addWidget(controls_.anchor_attributes, 3, 1);
    grid->addWidget(label_for(controls_.indent, QStringLiteral("In&dent:"), group, "Label4"), 4, 0);
    grid->addWidget(controls_.indent, 4, 1);
    grid->addWidget(label_for(controls_.skip_class, QStringLiteral("&Skip headings of class:"),
                              group, "Label5"),
                    5, 0);
    grid->addWidget(controls_.skip_class, 5, 1);
    controls_.heading_links = named(new QLineEdit(group), "Edit6");
    set_hint(controls_.heading_links,
             QStringLiteral("A short text such as # for a link to itself at the end of every "
                            "heading; empty: none"));
    grid->addWidget(
        label_for(controls_.heading_links, QStringLiteral("Heading lin&ks:"), group, "Label6"), 6,
        0);
    grid->addWidget(controls_.heading_links, 6, 1);
    build_numbering_rows(group, grid);
    grid->setColumnStretch(1, 1);
}

void project_form::build_numbering_rows(QWidget* group, QGridLayout* grid) {
    auto short_field = [group](const char* name, const QString& placeholder) {
        auto* field = named(new QLineEdit(group), name);
        field->setPlaceholderText(placeholder);
        field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                               16);
        return field;
    };
    controls_.numbering_from = short_field("Edit7", QStringLiteral("all"));
    controls_.numbering_to = short_field("Edit8", QStringLiteral("all"));
    controls_.numbering_start = short_field("Edit9", QStringLiteral("1"));
    set_hint(controls_.numbering_from,
             QStringLiteral("The heading levels that get numbers; 0 for page titles; empty: all"));
    set_hint(controls_.numbering_to, controls_.numbering_from->toolTip());
    set_hint(controls_.numbering_start, QStringLiteral("The first number of the top level"));
    auto* levels = new QHBoxLayout;
    levels->addWidget(controls_.numbering_from);
    levels->addWidget(
        label_for(controls_.numbering_to, QStringLiteral("th&rough"), group, "Label8"));
    levels->addWidget(controls_.numbering_to);
    levels->addSpacing(16);
    levels->addWidget(label_for(controls_.numbering_start, QStringLiteral("To&p level starts at:"),
                                group, "Label9"));
    levels->addWidget(controls_.numbering_start);
    levels->addStretch(1);
    grid->addWidget(
        label_for(controls_.numbering_from, QStringLiteral("Num&ber levels from"), group, "Label7"),
        7, 0);
    grid->addLayout(levels, 7, 1);

    controls_.unnumbered_class = named(new QLineEdit(group), "Edit10");
    set_hint(controls_.unnumbered_class,
             QStringLiteral("Headings whose class holds this word, and those below them, get no "
                            "number"));
    grid->addWidget(
        label_for(controls_.unnumbered_class, QStringLiteral("Class of headings &without number:"),
                  group, "Label10"),
        8, 0);
    grid->addWidget(controls_.unnumbered_class, 8, 1);
    controls_.number_class = named(new QLineEdit(group), "Edit11");
    set_hint(controls_.number_class,
             QStringLiteral("Numbers are written as <span class=\"...\">1.2.</span>; empty: plain "
                            "text"));
    grid->addWidget(label_for(controls_.number_class, QStringLiteral("St&yle numbers with class:"),
                              group, "Label11"),
                    9, 0);
    grid->addWidget(controls_.number_class, 9, 1);
}

void project_form::build_template_group(QWidget* page) {
    auto* group = controls_.template_group =
        named(new QGroupBox(QStringLiteral("TOC template"), page), "GroupBox6");
    set_help_context(group, k_format_help);
    controls_.template_list = named(new QComboBox(group), "ComboBox3");
    // Names of the user's own templates carry their paths: the list may grow
    // wide, the window need not.
    controls_.template_list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    controls_.template_list->setMinimumContentsLength(16);
    controls_.edit_template =
        named(new QPushButton(QStringLiteral("&Edit template"), group), "BitBtn7");
    set_hint(controls_.edit_template, QStringLiteral("Opens the template in a text editor"));
    auto* description = new link_label(QStringLiteral("Template description"), group);
    controls_.template_description = named(description, "Label3");
    set_hint(description, QStringLiteral("Click to view a description of the template selected"));
    auto* row = new QHBoxLayout(group);
    row->addWidget(label_for(controls_.template_list, QStringLiteral("Te&mplate:"), group));
    row->addWidget(controls_.template_list, 1);
    row->addWidget(controls_.edit_template);
    row->addSpacing(8);
    row->addWidget(description);
}

// The Tab key follows the layout: top to bottom, left to right.
void project_form::set_tab_order() {
    const main_controls& c = controls_;
    QWidget* const chain[] = {c.single,           c.multiple,           c.source_field,
                              c.source_select,    c.source_list,        c.add_files,
                              c.add_folder,       c.delete_files,       c.move_up,
                              c.move_down,        c.overwrite,          c.destination_field,
                              c.destination_save, c.destination_select, c.range_from,
                              c.range_to,         c.process_title,      c.process_numbering,
                              c.insert_local_toc, c.anchor_ids,         c.anchor_attributes,
                              c.indent,           c.skip_class,         c.heading_links,
                              c.numbering_from,   c.numbering_to,       c.numbering_start,
                              c.unnumbered_class, c.number_class,       c.template_list,
                              c.edit_template};
    for (size_t i = 1; i < std::size(chain); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}
