#include "gui/template_commands.h"

#include <QPushButton>
#include <QTabWidget>

#include "core/vttext.h"
#include "desktop/byte_text.h"
#include "desktop/dialogs.h"
#include "gui/TDescriptionBox.h"
#include "gui/link_label.h"
#include "gui/project_editor.h"
#include "gui/shell_launcher.h"
#include "gui/template_catalogue.h"

template_commands::template_commands(const main_controls& controls,
                                     const template_catalogue& catalogue,
                                     const project_editor& editor, const QString& data_folder,
                                     dialogs& owner_dialogs, shell_launcher& shell,
                                     TDescriptionBox& box)
    : controls_(controls),
      catalogue_(catalogue),
      editor_(editor),
      data_folder_(data_folder),
      dialogs_(owner_dialogs),
      shell_(shell),
      box_(box) {
    connect(controls_.edit_template, &QPushButton::clicked, this, &template_commands::BitBtn7Click);
    connect(static_cast<link_label*>(controls_.template_description), &link_label::clicked, this,
            &template_commands::Label3Click);
}

void template_commands::BitBtn7Click() {
    const int index = editor_.selected_template();
    if (index < 0) return;
    const QString path = data_folder_ + qt_text(catalogue_.file(index));
    if (!shell_.open(QStringLiteral("open"), path))
        dialogs_.warn(controls_.tabs->window(),
                      shell_.failure_text(QStringLiteral("Can't open template file: ") + path));
}

void template_commands::Label3Click() {
    const int index = editor_.selected_template();
    if (index < 0) return;
    const vtstring text = vt_normalize_line_ends(catalogue_.description(index));
    box_.set_description(qt_text(catalogue_.name(index)), qt_text(text.view()));
    dialogs_.show_modal(box_);
}
