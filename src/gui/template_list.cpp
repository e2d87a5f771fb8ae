#include "gui/template_list.h"

#include <QComboBox>
#include <QFileInfo>

#include "desktop/byte_text.h"
#include "files/vtfile.h"
#include "files/vtfile_path.h"
#include "gui/file_chooser.h"
#include "gui/template_catalogue.h"
#include "project/project_paths.h"

namespace {

// An item's role that holds the own template's path as the project wrote it.
constexpr int k_path_role = Qt::UserRole + 1;

bool exists(const std::string& path) {
    vtfile_node info;
    return vtfile_info(path, info) && !info.is_directory;
}

std::string normal(const QString& path) {
    return vtfile_normal_path(byte_text(path));
}

}  // namespace

template_list::template_list(QComboBox* box, const template_catalogue& catalogue,
                             QString data_folder, QString user_folder, file_chooser& chooser)
    : box_(box),
      catalogue_(catalogue),
      data_folder_(std::move(data_folder)),
      user_folder_(std::move(user_folder)),
      chooser_(chooser) {
    connect(box_, &QComboBox::activated, this, &template_list::activated);
}

int template_list::own_index() const {
    const int index = catalogue_.count();
    return index < box_->count() && box_->itemData(index, k_path_role).isValid() ? index : -1;
}

int template_list::browse_index() const {
    return box_->count() - 1;
}

void template_list::fill() {
    box_->clear();
    for (int32_t i = 0; i < catalogue_.count(); ++i) box_->addItem(qt_text(catalogue_.name(i)));
    box_->addItem(QStringLiteral("Browse..."));
    box_->setCurrentIndex(0);
    last_index_ = 0;
}

QString template_list::user_copy(int index) const {
    return user_folder_ + qt_text(catalogue_.file(index));
}

QString template_list::entry_file(int index) const {
    const QString copy = user_copy(index);
    return exists(byte_text(copy)) ? copy : data_folder_ + qt_text(catalogue_.file(index));
}

void template_list::set_own(const std::string& path, std::string_view base) {
    base_ = base;
    const std::string full = vtfile_normal_path(resolved_path(path, base));
    const QString name = QFileInfo(qt_text(full)).fileName();
    QString text = name + QStringLiteral(" - ") + qt_text(full);
    if (!exists(full)) text += QStringLiteral(" (missing)");
    int index = own_index();
    if (index < 0) {
        index = catalogue_.count();
        box_->insertItem(index, text);
    }
    box_->setItemText(index, text);
    box_->setItemData(index, qt_text(path), k_path_role);
    box_->setItemData(index, qt_text(full), Qt::ToolTipRole);
    box_->setCurrentIndex(index);
    last_index_ = index;
}

void template_list::select(std::string_view template_file, std::string_view base) {
    if (own_index() >= 0) box_->removeItem(own_index());
    int index = 0;
    if (!template_file.empty()) {
        index = -1;
        const std::string wanted = vtfile_normal_path(resolved_path(template_file, base));
        for (int32_t i = 0; i < catalogue_.count() && index < 0; ++i) {
            const QString shipped = data_folder_ + qt_text(catalogue_.file(i));
            if (wanted == normal(shipped) || wanted == normal(user_copy(i))) index = i;
        }
        if (index < 0) return set_own(std::string(template_file), base);
    }
    box_->setCurrentIndex(catalogue_.loaded() ? index : -1);
    last_index_ = box_->currentIndex();
}

int template_list::catalogue_index() const {
    const int index = box_->currentIndex();
    return catalogue_.loaded() && index >= 0 && index < catalogue_.count() ? index : -1;
}

std::string template_list::selected_path() const {
    const int index = box_->currentIndex();
    if (index >= 0 && index == own_index())
        return byte_text(box_->itemData(index, k_path_role).toString());
    const int entry = catalogue_index();
    return entry < 0 ? byte_text(data_folder_) : byte_text(entry_file(entry));
}

QString template_list::selected_file(std::string_view base) const {
    const int index = box_->currentIndex();
    if (index >= 0 && index == own_index()) return qt_text(resolved_path(selected_path(), base));
    const int entry = catalogue_index();
    return entry < 0 ? QString() : entry_file(entry);
}

void template_list::activated(int index) {
    if (index == browse_index()) {
        browse();
        return;
    }
    last_index_ = index;
}

void template_list::browse() {
    chooser_.set_title(QStringLiteral("Choose a TOC template"));
    chooser_.set_filter(file_chooser::filter_list::templates);
    chooser_.set_default_suffix(QString());
    const int own = own_index();
    chooser_.take_directory_from(own >= 0 ? box_->itemData(own, Qt::ToolTipRole).toString()
                                          : data_folder_);
    const QStringList chosen = chooser_.show_open(box_->window(), file_chooser::must_exist);
    if (chosen.isEmpty()) {
        box_->setCurrentIndex(last_index_);
        return;
    }
    // A template the catalogue holds is selected as such.
    select(byte_text(chosen.front()), base_);
}
