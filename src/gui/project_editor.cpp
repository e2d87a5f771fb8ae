#include "gui/project_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "desktop/byte_text.h"
#include "gui/pattern_rows.h"
#include "gui/template_catalogue.h"
#include "project/toc_project.h"

namespace {

vtval text_value(const QLineEdit* field) {
    return vtval(byte_text(field->text()));
}

vtval flag_value(const QCheckBox* box) {
    return vtval::make_bool(box->isChecked());
}

// A level outside 1..6 (a hand-edited project) shows as the nearest level
// rather than as an empty list.
int level_index(const vtval& level) {
    return std::clamp(level.to_integer(), 1, 6) - 1;
}

}  // namespace

project_editor::project_editor(const main_controls& controls, const template_catalogue& catalogue,
                               const QString& data_folder, const QString& user_templates,
                               file_chooser& chooser)
    : controls_(controls),
      templates_(std::make_unique<template_list>(controls.template_list, catalogue, data_folder,
                                                 user_templates, chooser)) {
    QObject::connect(controls_.anchor_ids, &QCheckBox::toggled, controls_.anchor_attributes,
                     [this] { apply_anchor_enabling(); });
}

project_editor::~project_editor() = default;

void project_editor::watch(const std::function<void()>& changed) {
    const main_controls& c = controls_;
    for (QLineEdit* field : {c.source_field, c.destination_field, c.anchor_attributes, c.indent,
                             c.skip_class, c.heading_links, c.numbering_from, c.numbering_to,
                             c.numbering_start, c.unnumbered_class, c.number_class})
        QObject::connect(field, &QLineEdit::textChanged, field, changed);
    for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{
             c.single, c.overwrite, c.process_title, c.process_numbering, c.insert_local_toc,
             c.anchor_ids})
        QObject::connect(box, &QAbstractButton::toggled, box, changed);
    for (QComboBox* list : {c.range_from, c.range_to, c.template_list})
        QObject::connect(list, &QComboBox::currentIndexChanged, list, changed);
    QAbstractItemModel* rows = c.source_list->model();
    QObject::connect(rows, &QAbstractItemModel::rowsInserted, c.source_list, changed);
    QObject::connect(rows, &QAbstractItemModel::rowsRemoved, c.source_list, changed);
    QObject::connect(rows, &QAbstractItemModel::rowsMoved, c.source_list, changed);
}

void project_editor::read_into(toc_project& project) const {
    project.error_message.clear();
    const bool single = controls_.single->isChecked();
    project.is_single = vtval::make_bool(single);
    project.source.clear();
    project.source_glob.clear();
    if (single) {
        project.source.push_back(text_value(controls_.source_field));
    } else {
        for (int row = 0; row < controls_.source_list->count(); ++row) {
            const QListWidgetItem* item = controls_.source_list->item(row);
            const std::string line = byte_text(row_line(item));
            if (is_pattern_row(item))
                project.add_source_pattern(line);
            else
                project.source.push_back(vtval(line));
        }
    }
    project.is_dest_as_source = flag_value(controls_.overwrite);
    project.destination = text_value(controls_.destination_field);
    project.range_from = vtval(static_cast<int32_t>(controls_.range_from->currentIndex() + 1));
    project.range_to = vtval(static_cast<int32_t>(controls_.range_to->currentIndex() + 1));
    project.named_anchor_attributes = text_value(controls_.anchor_attributes);
    project.process_title = flag_value(controls_.process_title);
    project.process_numbering = flag_value(controls_.process_numbering);
    project.template_file = vtval(templates_->selected_path());
    project.insert_local_toc = flag_value(controls_.insert_local_toc);
    project.indent = text_value(controls_.indent);
    project.anchor_ids = flag_value(controls_.anchor_ids);
    project.skip_class = text_value(controls_.skip_class);
    project.heading_links = text_value(controls_.heading_links);
    project.numbering_from = text_value(controls_.numbering_from);
    project.numbering_to = text_value(controls_.numbering_to);
    project.numbering_start = text_value(controls_.numbering_start);
    project.unnumbered_class = text_value(controls_.unnumbered_class);
    project.number_class = text_value(controls_.number_class);
    project.relative_to = vtval("project");
    project.normalize(true);
}

void project_editor::write_sources(const toc_project& project) {
    controls_.source_list->clear();
    if (project.single()) {
        controls_.source_field->setText(
            project.source.empty() ? QString() : qt_text(project.source.front().text()));
        return;
    }
    for (const source_line& line : project.source_lines()) {
        if (line.is_pattern)
            add_pattern_row(controls_.source_list, qt_text(line.text));
        else
            controls_.source_list->addItem(qt_text(line.text));
    }
    if (!project.source_glob.empty())
        show_pattern_pages(controls_.source_list, project, base_folder_);
}

void project_editor::write_from(const toc_project& project) {
    write_sources(project);
    controls_.overwrite->setChecked(project.is_dest_as_source.to_boolean());
    controls_.destination_field->setText(qt_text(project.destination.text()));
    controls_.range_from->setCurrentIndex(level_index(project.range_from));
    controls_.range_to->setCurrentIndex(level_index(project.range_to));
    controls_.anchor_attributes->setText(qt_text(project.named_anchor_attributes.text()));
    controls_.process_title->setChecked(project.process_title.to_boolean());
    controls_.process_numbering->setChecked(project.process_numbering.to_boolean());
    controls_.insert_local_toc->setChecked(project.insert_local_toc.to_boolean());
    controls_.indent->setText(qt_text(project.indent.text()));
    controls_.anchor_ids->setChecked(project.heading_ids());
    controls_.skip_class->setText(qt_text(project.skip_class.text()));
    controls_.heading_links->setText(qt_text(project.heading_links.text()));
    controls_.numbering_from->setText(qt_text(project.numbering_from.text()));
    controls_.numbering_to->setText(qt_text(project.numbering_to.text()));
    controls_.numbering_start->setText(qt_text(project.numbering_start.text()));
    controls_.unnumbered_class->setText(qt_text(project.unnumbered_class.text()));
    controls_.number_class->setText(qt_text(project.number_class.text()));
    templates_->select(project.template_file.text(), base_folder_);
    if (project.single())
        controls_.single->setChecked(true);
    else
        controls_.multiple->setChecked(true);
    apply_mode_layout();
    apply_destination_enabling();
    apply_anchor_enabling();
}

void project_editor::apply_anchor_enabling() {
    const bool named_anchors = !controls_.anchor_ids->isChecked();
    controls_.anchor_attributes->setEnabled(named_anchors);
    controls_.anchor_attributes_label->setEnabled(named_anchors);
}

void project_editor::apply_mode_layout() {
    const bool single = controls_.single->isChecked();
    controls_.source_group->setVisible(single);
    controls_.single_spacer->setVisible(single);
    controls_.sources_group->setVisible(!single);
    controls_.overwrite_row->setVisible(single);
    controls_.destination_save->setVisible(single);
    controls_.destination_select->setVisible(!single);
    controls_.process_title->setEnabled(!single);
    controls_.insert_local_toc->setEnabled(!single);
    if (!single) controls_.destination_field->setEnabled(true);
}

void project_editor::apply_destination_enabling() {
    if (!controls_.single->isChecked()) return;
    const bool own_destination = !controls_.overwrite->isChecked();
    controls_.destination_field->setEnabled(own_destination);
    controls_.destination_save->setEnabled(own_destination);
}

void project_editor::fill_template_list() {
    templates_->fill();
}
