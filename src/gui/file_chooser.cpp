#include "gui/file_chooser.h"

namespace {

// One trailing separator is dropped; the root folder stays itself.
QString dialog_directory(QString folder) {
    if (folder.size() > 1 && folder.endsWith(u'/')) folder.chop(1);
    return folder;
}

}  // namespace

QStringList file_chooser::project_filters() {
    return {QStringLiteral("Text Files (*.txt)"), QStringLiteral("All Files (*)")};
}

QStringList file_chooser::html_filters() {
    return {QStringLiteral("HTML Files (*.htm *.html *.shtml)"), QStringLiteral("All Files (*)")};
}

QStringList file_chooser::template_filters() {
    return {QStringLiteral("Templates (*.html *.htm *.tpl *.txt)"),
            QStringLiteral("All Files (*)")};
}

void file_chooser::set_filter(filter_list list) {
    switch (list) {
        case filter_list::project:
            request_.filters = project_filters();
            break;
        case filter_list::html:
            request_.filters = html_filters();
            break;
        case filter_list::templates:
            request_.filters = template_filters();
            break;
    }
}

void file_chooser::take_directory_from(QString reference) {
    if (reference.isEmpty()) return;
    if (!reference.startsWith(u'/') && !base_folder_.isEmpty())
        reference = base_folder_ + (base_folder_.endsWith(u'/') ? QString() : QStringLiteral("/")) +
                    reference;
    const qsizetype cut = reference.lastIndexOf(u'/');
    if (cut < 0)
        last_directory_ = reference;
    else
        last_directory_ = cut == 0 ? QStringLiteral("/") : reference.left(cut);
}

file_request file_chooser::pending_request(bool save, int options) const {
    file_request request = request_;
    request.save = save;
    request.must_exist = (options & must_exist) != 0;
    request.multiple = (options & multiple) != 0;
    request.directory = dialog_directory(last_directory_);
    return request;
}

QStringList file_chooser::show_open(QWidget* parent, int options) {
    return dialogs_.choose_files(parent, pending_request(false, options));
}

QString file_chooser::show_save(QWidget* parent) {
    const QStringList chosen = dialogs_.choose_files(parent, pending_request(true, none));
    return chosen.isEmpty() ? QString() : chosen.front();
}
