#include "gui/template_commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>

#include "core/vttext.h"
#include "desktop/byte_text.h"
#include "desktop/dialogs.h"
#include "files/atomic_file.h"
#include "files/vtfile.h"
#include "gui/TDescriptionBox.h"
#include "gui/link_label.h"
#include "gui/project_editor.h"
#include "gui/shell_launcher.h"
#include "gui/template_catalogue.h"

namespace {

// A file its owner marked read-only counts as such even for root, who could
// write it anyway.
bool writable(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & 0222) != 0 &&
           ::access(path.c_str(), W_OK) == 0;
}

}  // namespace

template_commands::template_commands(const main_controls& controls,
                                     const template_catalogue& catalogue, project_editor& editor,
                                     bool shipped_read_only, dialogs& owner_dialogs,
                                     shell_launcher& shell, TDescriptionBox& box, status_fn status)
    : controls_(controls),
      catalogue_(catalogue),
      editor_(editor),
      shipped_read_only_(shipped_read_only),
      dialogs_(owner_dialogs),
      shell_(shell),
      box_(box),
      status_(std::move(status)) {
    connect(controls_.edit_template, &QPushButton::clicked, this, &template_commands::BitBtn7Click);
    connect(static_cast<link_label*>(controls_.template_description), &link_label::clicked, this,
            &template_commands::Label3Click);
}

QString template_commands::editable_file(int index) {
    template_list& templates = editor_.templates();
    const QString file = templates.entry_file(index);
    const QString copy = templates.user_copy(index);
    if (file == copy || (!shipped_read_only_ && writable(byte_text(file)))) return file;
    vtstring bytes;
    QDir().mkpath(QFileInfo(copy).absolutePath());
    if (!vtfile_read_all(byte_text(file), bytes) ||
        !vtfile_write_atomic(byte_text(copy), bytes.view())) {
        dialogs_.warn(controls_.tabs->window(), QStringLiteral("Can't copy template file: ") +
                                                    file + QStringLiteral(" to ") + copy);
        return {};
    }
    // From now on the catalogue entry stands for the copy (template_list).
    status_(QStringLiteral("The template is a shipped one: you edit your own copy, ") + copy);
    return copy;
}

void template_commands::BitBtn7Click() {
    const int index = editor_.templates().catalogue_index();
    QString path = editor_.templates().selected_file(editor_.base_folder());
    if (path.isEmpty()) return;
    if (index >= 0) path = editable_file(index);
    if (path.isEmpty()) return;
    if (!shell_.edit(path))
        dialogs_.warn(controls_.tabs->window(),
                      shell_.failure_text(QStringLiteral("Can't open template file: ") + path));
}

void template_commands::Label3Click() {
    const int index = editor_.templates().catalogue_index();
    if (index < 0) {
        const QString path = editor_.templates().selected_file(editor_.base_folder());
        if (path.isEmpty()) return;
        box_.set_description(QFileInfo(path).fileName(),
                             QStringLiteral("A template of your own: ") + path);
    } else {
        const vtstring text = vt_normalize_line_ends(catalogue_.description(index));
        box_.set_description(qt_text(catalogue_.name(index)), qt_text(text.view()));
    }
    dialogs_.show_modal(box_);
}
