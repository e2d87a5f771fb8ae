#include "gui/project_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "desktop/byte_text.h"
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
                               const QString& data_folder)
    : controls_(controls), catalogue_(catalogue), data_folder_(data_folder) {}

void project_editor::read_into(toc_project& project) const {
    project.error_message.clear();
    const bool single = controls_.single->isChecked();
    project.is_single = vtval::make_bool(single);
    project.source.clear();
    if (single) {
        project.source.push_back(text_value(controls_.source_field));
    } else {
        for (int row = 0; row < controls_.source_list->count(); ++row)
            project.source.push_back(vtval(byte_text(controls_.source_list->item(row)->text())));
    }
    project.is_dest_as_source = flag_value(controls_.overwrite);
    project.destination = text_value(controls_.destination_field);
    project.range_from = vtval(static_cast<int32_t>(controls_.range_from->currentIndex() + 1));
    project.range_to = vtval(static_cast<int32_t>(controls_.range_to->currentIndex() + 1));
    project.named_anchor_attributes = text_value(controls_.anchor_attributes);
    project.process_title = flag_value(controls_.process_title);
    project.process_numbering = flag_value(controls_.process_numbering);
    project.template_file =
        vtval(byte_text(data_folder_) + std::string(catalogue_.file(selected_template())));
    project.insert_local_toc = flag_value(controls_.insert_local_toc);
    project.indent = text_value(controls_.indent);
    project.anchor_ids = flag_value(controls_.anchor_ids);
    project.skip_class = text_value(controls_.skip_class);
    project.normalize(true);
}

void project_editor::write_sources(const toc_project& project) {
    controls_.source_list->clear();
    if (project.single()) {
        controls_.source_field->setText(
            project.source.empty() ? QString() : qt_text(project.source.front().text()));
        return;
    }
    for (const vtval& source : project.source)
        controls_.source_list->addItem(qt_text(source.text()));
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
    controls_.template_list->setCurrentIndex(catalogue_.index_for(project.template_file.text()));
    if (project.single())
        controls_.single->setChecked(true);
    else
        controls_.multiple->setChecked(true);
    apply_mode_layout();
    apply_destination_enabling();
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
    controls_.template_list->clear();
    for (int32_t i = 0; i < catalogue_.count(); ++i)
        controls_.template_list->addItem(qt_text(catalogue_.name(i)));
}

int project_editor::selected_template() const {
    const int index = controls_.template_list->currentIndex();
    return catalogue_.loaded() && index < catalogue_.count() ? index : -1;
}
