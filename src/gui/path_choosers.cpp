#include "gui/path_choosers.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "gui/file_chooser.h"

path_choosers::path_choosers(const main_controls& controls, file_chooser& chooser)
    : controls_(controls), chooser_(chooser) {
    connect(controls_.source_select, &QPushButton::clicked, this, &path_choosers::BitBtn6Click);
    connect(controls_.destination_select, &QPushButton::clicked, this,
            &path_choosers::BitBtn8Click);
    connect(controls_.destination_save, &QPushButton::clicked, this, &path_choosers::BitBtn5Click);
}

void path_choosers::BitBtn6Click() {
    QLineEdit* field = controls_.source_field;
    chooser_.set_title(QStringLiteral("Open source file for building ToC"));
    chooser_.set_filter(file_chooser::filter_list::html);
    chooser_.set_default_suffix(QString());
    chooser_.take_directory_from(field->text());
    const QStringList chosen = chooser_.show_open(field->window(), file_chooser::must_exist);
    if (!chosen.isEmpty()) field->setText(chosen.front());
}

void path_choosers::BitBtn8Click() {
    QLineEdit* field = controls_.destination_field;
    chooser_.set_title(QStringLiteral("Open or create file that will hold ToC"));
    chooser_.set_filter(file_chooser::filter_list::html);
    chooser_.set_default_suffix(QStringLiteral(".html"));
    QString reference = field->text();
    if (reference.isEmpty() && controls_.source_list->count() > 0)
        reference = controls_.source_list->item(0)->text();
    chooser_.take_directory_from(reference);
    const QStringList chosen = chooser_.show_open(field->window(), file_chooser::none);
    if (!chosen.isEmpty()) field->setText(chosen.front());
}

void path_choosers::BitBtn5Click() {
    QLineEdit* field = controls_.destination_field;
    chooser_.set_title(QStringLiteral("Save file with inserted ToC as"));
    chooser_.set_filter(file_chooser::filter_list::html);
    chooser_.set_default_suffix(QStringLiteral(".html"));
    const QString destination = field->text();
    chooser_.take_directory_from(destination.isEmpty() ? controls_.source_field->text()
                                                       : destination);
    const QString chosen = chooser_.show_save(field->window());
    if (!chosen.isEmpty()) field->setText(chosen);
}
