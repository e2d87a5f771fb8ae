#include "setup/TSetupForm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include "desktop/byte_text.h"
#include "desktop/dialogs.h"
#include "desktop/instance_lock.h"
#include "desktop/named_widget.h"
#include "desktop/product_title.h"
#include "desktop/screen_centre.h"
#include "files/vtfile.h"
#include "setup/setup_text.h"
#include "setup/shell_folders.h"

namespace {

QLabel* make_label(const char* name, const QString& text, QWidget* parent) {
    return named(new QLabel(text, parent), name);
}

QPushButton* make_button(const char* name, const QString& text, QWidget* parent) {
    return named(new QPushButton(text, parent), name);
}

// The option of the file manager's entry, named alike on every page.
const QString k_shell_option = QStringLiteral("file manager context menu item [Open With]");

}  // namespace

QString TSetupForm::size_text(int64_t bytes) {
    constexpr int64_t kib = 1024;
    if (bytes < kib * kib)
        return QLocale().toString(qlonglong((bytes + kib - 1) / kib)) + QStringLiteral(" KiB");
    return QLocale().toString(double(bytes) / double(kib * kib), 'f', 1) + QStringLiteral(" MiB");
}

TSetupForm::TSetupForm(dialogs& owner_dialogs, registry_store& store,
                       const std::string& distribution_folder, const std::string& package_program,
                       QWidget* parent)
    : QWidget(parent),
      dialogs_(owner_dialogs),
      store_(store),
      start_([](const std::string& program) {
          return QProcess::startDetached(qt_text(program), {});
      }) {
    setObjectName(QStringLiteral("SetupForm"));
    setWindowTitle(k_product_title);
    if (main_window_running()) {
        terminate(qt_text(setup_text::running));
        return;
    }
    if (!package_program.empty()) {
        terminate(qt_text(setup_text::package_installed));
        return;
    }
    distribution_.check(distribution_folder);
    const QIcon icon(qt_text(distribution_.folder() + std::string(setup_text::icon_image)));
    if (!icon.isNull()) setWindowIcon(icon);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(create_header());
    pages_ = new QStackedWidget(this);
    pages_->addWidget(create_welcome_page());
    pages_->addWidget(create_license_page());
    pages_->addWidget(create_folder_page());
    pages_->addWidget(create_summary_page());
    pages_->addWidget(create_progress_page());
    layout->addWidget(pages_, 1);
    layout->addWidget(create_button_bar());

    if (!check_distribution()) return;
    fit_license();
    // As large as the largest page needs, no larger.
    adjustSize();
    change_page();
    centre_on_screen(this);
}

QWidget* TSetupForm::create_header() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    QLabel* image = make_label("Image1", QString(), header);
    QPixmap icon(qt_text(distribution_.folder() + std::string(setup_text::icon_image)));
    if (!icon.isNull()) image->setPixmap(icon.scaled(48, 48, Qt::KeepAspectRatio));
    QLabel* title = make_label("Label1", "VELT " + k_product_title + " ", header);
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.8);
    title->setFont(font);
    row->addWidget(image);
    row->addWidget(title, 1);
    return header;
}

QWidget* TSetupForm::create_welcome_page() {
    QWidget* panel = named(new QWidget, "Panel3");
    auto* column = new QVBoxLayout(panel);
    column->addWidget(make_label("Label2", "Welcome to " + k_product_title + " setup.", panel));
    QLabel* hint = make_label(
        "Label3", "Click Cancel to quit Setup. Click Next to continue the Setup Program. ", panel);
    hint->setWordWrap(true);
    column->addWidget(hint);
    column->addStretch(1);
    return panel;
}

QWidget* TSetupForm::create_license_page() {
    QWidget* panel = named(new QWidget, "Panel4");
    auto* column = new QVBoxLayout(panel);
    column->addWidget(make_label("Label4", "Please read the following License Agreement: ", panel));
    license_text_ = named(new QPlainTextEdit(panel), "Memo1");
    license_text_->setReadOnly(true);
    column->addWidget(license_text_, 1);
    column->addWidget(
        make_label("Label5", "Do you accept the terms of the License Agreement? ", panel));
    return panel;
}

QWidget* TSetupForm::create_folder_page() {
    QWidget* panel = named(new QWidget, "Panel5");
    auto* column = new QVBoxLayout(panel);
    auto* destination = new QGroupBox(QStringLiteral("Select a destination directory: "), panel);
    auto* row = new QHBoxLayout(destination);
    folder_field_ = named(new QLineEdit(destination), "Edit1");
    folder_field_->setReadOnly(true);
    QPushButton* browse = make_button("BitBtn1", QStringLiteral("Browse ..."), destination);
    connect(browse, &QPushButton::clicked, this, &TSetupForm::BitBtn1Click);
    row->addWidget(folder_field_, 1);
    row->addWidget(browse);
    column->addWidget(destination);
    space_needed_ = make_label("Label7", QString(), panel);
    column->addWidget(space_needed_);
    previous_version_ = make_label("Label8", QString(), panel);
    QFont bold = previous_version_->font();
    bold.setBold(true);
    previous_version_->setFont(bold);
    previous_version_->setWordWrap(true);
    column->addWidget(previous_version_);
    auto* additional = new QGroupBox(QStringLiteral("Additional"), panel);
    auto* options = new QVBoxLayout(additional);
    desktop_icon_ = named(new QCheckBox(QStringLiteral("Add an icon to the desktop?"), additional),
                          "CheckBox1");
    shell_extension_ =
        named(new QCheckBox(k_shell_option.at(0).toUpper() + k_shell_option.mid(1), additional),
              "CheckBox2");
    shell_extension_->setChecked(true);
    options->addWidget(desktop_icon_);
    options->addWidget(shell_extension_);
    column->addWidget(additional);
    column->addStretch(1);
    return panel;
}

QWidget* TSetupForm::create_summary_page() {
    QWidget* panel = named(new QWidget, "Panel7");
    auto* column = new QVBoxLayout(panel);
    QLabel* ready = make_label("Label14",
                               "Setup is now ready to begin installing the software on your "
                               "computer. Click Back if you want to change any settings.",
                               panel);
    ready->setWordWrap(true);
    column->addWidget(ready);
    column->addWidget(make_label("Label18", "You have made the following selections:", panel));
    auto* directory = new QGroupBox(QStringLiteral("Installation directory: "), panel);
    auto* directory_column = new QVBoxLayout(directory);
    summary_folder_ = make_label("Label15", QString(), directory);
    directory_column->addWidget(summary_folder_);
    column->addWidget(directory);
    auto* additional = new QGroupBox(QStringLiteral("Additional"), panel);
    auto* additional_column = new QVBoxLayout(additional);
    summary_desktop_icon_ = make_label("Label16", QString(), additional);
    summary_shell_extension_ = make_label("Label17", QString(), additional);
    additional_column->addWidget(summary_desktop_icon_);
    additional_column->addWidget(summary_shell_extension_);
    column->addWidget(additional);
    column->addStretch(1);
    return panel;
}

QWidget* TSetupForm::create_progress_page() {
    QWidget* panel = named(new QWidget, "Panel6");
    auto* column = new QVBoxLayout(panel);
    column->addWidget(make_label("Label9", QStringLiteral("Setup progress indicator"), panel));
    auto* row = new QHBoxLayout;
    progress_bar_ = named(new QProgressBar(panel), "ProgressBar1");
    progress_bar_->setRange(0, 100);
    progress_bar_->setTextVisible(false);
    progress_percent_ = make_label("Label10", QStringLiteral("0 %"), panel);
    // Room for the widest figure: the label does not grow while the page
    // repaints during the installation.
    progress_percent_->setMinimumWidth(
        progress_percent_->fontMetrics().horizontalAdvance(QStringLiteral("100 %")));
    progress_percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(progress_bar_, 1);
    row->addWidget(progress_percent_);
    column->addLayout(row);
    complete_ = make_label("Label12", k_product_title + " setup is complete.", panel);
    complete_->hide();
    column->addWidget(complete_);
    start_now_ = named(new QCheckBox(QStringLiteral("&Start Orvane now"), panel), "CheckBox3");
    start_now_->setChecked(true);
    start_now_->hide();
    column->addWidget(start_now_);
    column->addStretch(1);
    return panel;
}

QWidget* TSetupForm::create_button_bar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->addStretch(1);
    back_button_ = make_button("Button3", QStringLiteral("< Back"), bar);
    next_button_ = make_button("Button2", QStringLiteral("Next >"), bar);
    cancel_button_ = make_button("Button1", QStringLiteral("Cancel"), bar);
    for (QPushButton* button : {back_button_, next_button_, cancel_button_}) {
        // A focused button takes Return itself; elsewhere the default does.
        button->setAutoDefault(true);
        row->addWidget(button);
    }
    connect(cancel_button_, &QPushButton::clicked, this, &TSetupForm::Button1Click);
    connect(next_button_, &QPushButton::clicked, this, &TSetupForm::Button2Click);
    connect(back_button_, &QPushButton::clicked, this, &TSetupForm::Button3Click);
    return bar;
}

// The licence keeps its own line breaks: the memo does not wrap them again
// and is as wide as the longest line, up to most of the screen (beyond that
// it scrolls sideways).
void TSetupForm::fit_license() {
    license_text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    vtstring text;
    if (!vtfile_read_all(distribution_.folder() + "license.txt", text)) return;
    const QFontMetrics metrics(license_text_->font());
    int longest = 0;
    for (const QString& line : qt_text(text.view()).split(u'\n'))
        longest = qMax(longest, metrics.horizontalAdvance(line));
    const int frame = 2 * license_text_->frameWidth() +
                      2 * static_cast<int>(license_text_->document()->documentMargin()) +
                      style()->pixelMetric(QStyle::PM_ScrollBarExtent) + metrics.averageCharWidth();
    const QScreen* screen = this->screen();
    const int room = screen ? screen->availableGeometry().width() * 4 / 5 : 800;
    license_text_->setMinimumWidth(qMin(longest + frame, room));
    license_text_->setMinimumHeight(metrics.lineSpacing() * 12);
}

bool TSetupForm::check_distribution() {
    if (!distribution_.missing().empty()) {
        terminate(qt_text(setup_text::incomplete),
                  "Missing: " + qt_text(distribution_.folder() + distribution_.missing()));
        return false;
    }
    space_needed_->setText("The program requires " + size_text(distribution_.required_size()) +
                           " of disk space.");
    return true;
}

void TSetupForm::terminate(const QString& text, const QString& detail) {
    dialogs_.message(this, QMessageBox::Critical, text, detail);
    terminating_ = true;
    if (isVisible()) QTimer::singleShot(0, this, &QWidget::close);
}

void TSetupForm::warn(const std::string& text, const std::string& detail) {
    dialogs_.message(this, QMessageBox::Warning, qt_text(text), qt_text(detail));
}

void TSetupForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (terminating_) QTimer::singleShot(0, this, &QWidget::close);
}

void TSetupForm::Button1Click() {
    if (page_ == 4 && start_now_->isVisible() && start_now_->isChecked())
        start_(choices_.install_folder + std::string(setup_text::program));
    close();
}

void TSetupForm::Button2Click() {
    if (page_ >= 4) return;
    ++page_;
    change_page();
}

void TSetupForm::Button3Click() {
    if (page_ <= 0) return;
    --page_;
    change_page();
}

void TSetupForm::BitBtn1Click() {
    const QString title = k_product_title + "\r\nSelect an installation folder";
    const QString chosen = dialogs_.choose_folder(this, title, qt_text(browse_start_));
    if (chosen.isEmpty()) return;
    std::string folder = byte_text(chosen);
    if (folder.empty() || folder.back() != '/') folder += '/';
    set_folder(folder + "ORV1");
}

void TSetupForm::set_folder(const std::string& folder) {
    choices_.install_folder = folder;
    folder_field_->setText(qt_text(folder));
    vtstring deepest;
    vtfile_deepest_folder(folder, deepest);
    browse_start_ = deepest.str();
}

// Entry action of the new page, then its display.
void TSetupForm::change_page() {
    bool ok = true;
    switch (page_) {
        case 1:
            ok = load_license();
            break;
        case 2:
            ok = !choices_.install_folder.empty() || choose_folder();
            break;
        case 3:
            fill_summary();
            break;
        case 4:
            install();
            return;
        default:
            break;
    }
    if (!ok) return;
    pages_->setCurrentIndex(page_);
    show_buttons();
    update_title();
}

// The title names the step: "Orvane 1.0b setup - 3 of 5: Installation folder".
void TSetupForm::update_title() {
    static const char* const steps[] = {"Welcome", "License agreement", "Installation folder",
                                        "Ready to install", "Installing"};
    const QString step = page_ == 4 && complete_->isVisible() ? QStringLiteral("Finished")
                                                              : QString::fromLatin1(steps[page_]);
    setWindowTitle(k_product_title + QStringLiteral(" setup - %1 of 5: ").arg(page_ + 1) + step);
}

void TSetupForm::show_buttons() {
    static const char* const next_captions[] = {"Next >", "Accept", "Next >", "Start installation"};
    back_button_->setVisible(page_ >= 1 && page_ <= 3);
    next_button_->setVisible(page_ <= 3);
    cancel_button_->setVisible(true);
    if (page_ <= 3) next_button_->setText(QString::fromLatin1(next_captions[page_]));
    cancel_button_->setText(page_ == 1   ? QStringLiteral("Don't Accept")
                            : page_ == 4 ? QStringLiteral("Finish")
                                         : QStringLiteral("Cancel"));
    next_button_->setDefault(page_ <= 3);
    cancel_button_->setDefault(page_ == 4);
    default_button()->setFocus();
}

QPushButton* TSetupForm::default_button() const {
    return page_ == 4 ? cancel_button_ : next_button_;
}

void TSetupForm::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter && plain && default_button()->isVisible()) {
        default_button()->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TSetupForm::load_license() {
    vtstring text;
    if (!vtfile_read_all(distribution_.folder() + "license.txt", text)) {
        terminate(qt_text(setup_text::file_error));
        close();
        return false;
    }
    license_text_->setPlainText(qt_text(text.view()));
    return true;
}

bool TSetupForm::choose_folder() {
    vthash values;
    values.set(vtval(setup_text::inst_dir), vtval(""));
    bool known = store_.read_values(reg_root::hklm, setup_text::program_key, values);
    if (!known && !store_.error().empty()) {
        terminate(qt_text(setup_text::registry_read), qt_text(store_.error()));
        close();
        return false;
    }
    std::string folder(known ? values.find(setup_text::inst_dir)->text() : std::string_view());
    if (!folder.empty()) {
        if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        previous_version_->setText(qt_text(setup_text::previous_version));
    } else if (program_files_folder(folder)) {
        folder += "/VELT/ORV1";
    } else {
        terminate(qt_text(setup_text::registry_read));
        close();
        return false;
    }
    set_folder(folder);
    return true;
}

void TSetupForm::fill_summary() {
    summary_folder_->setText(qt_text(vtfile_short_path(choices_.install_folder, 60).view()));
    choices_.desktop_icon = desktop_icon_->isChecked();
    choices_.shell_extension = shell_extension_->isChecked();
    summary_desktop_icon_->setText(choices_.desktop_icon
                                       ? QStringLiteral("Yes, create a desktop icon.")
                                       : QStringLiteral("No, do not create a desktop icon."));
    summary_shell_extension_->setText(choices_.shell_extension
                                          ? "Yes, add the " + k_shell_option + "."
                                          : "No, do not add the " + k_shell_option + ".");
}

void TSetupForm::show_progress(int percent) {
    progress_bar_->setValue(percent);
    progress_percent_->setText(QStringLiteral("%1 %").arg(percent));
    repaint();
}

void TSetupForm::install() {
    setup_install installer(store_, distribution_);
    bool ok = installer.check_space(choices_.install_folder);
    if (ok) {
        cancel_button_->hide();
        next_button_->hide();
        back_button_->hide();
        pages_->setCurrentIndex(4);
        update_title();
        show_progress(0);
        ok = installer.run(choices_, [this](int percent) { show_progress(percent); });
    }
    if (!ok) {
        warn(installer.message(), installer.detail());
        page_ = 3;
        change_page();
        return;
    }
    show_progress(100);
    complete_->show();
    start_now_->show();
    show_buttons();
    update_title();
    // What was left undone, and why.
    for (const std::string& note : installer.notes())
        dialogs_.message(this, QMessageBox::Information, qt_text(note), QString());
}
