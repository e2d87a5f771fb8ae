#include "setup/TSetupForm.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/vtfile.h"
#include "setup/running_check.h"
#include "setup/setup_dialogs.h"
#include "setup/setup_text.h"
#include "setup/shell_folders.h"

namespace {

QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QString path_text(std::string_view path) {
    return QFile::decodeName(QByteArray(path.data(), path.size()));
}

QLabel* make_label(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QPushButton* make_button(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QWidget* make_panel(const char* name) {
    auto* panel = new QWidget;
    panel->setObjectName(QString::fromLatin1(name));
    return panel;
}

}  // namespace

TSetupForm::TSetupForm(setup_dialogs& dialogs, registry_store& store,
                       const std::string& distribution_folder, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), store_(store) {
    setObjectName(QStringLiteral("SetupForm"));
    setWindowTitle(text_of(setup_text::product));
    if (main_window_running()) {
        terminate(text_of(setup_text::running));
        return;
    }
    distribution_.check(distribution_folder);

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
    resize(qMax(sizeHint().width(), 520), qMax(sizeHint().height(), 380));
    change_page();
    if (QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

QWidget* TSetupForm::create_header() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    QLabel* image = make_label("Image1", QString(), header);
    QPixmap icon(path_text(distribution_.folder() + std::string(setup_text::icon_image)));
    if (!icon.isNull()) image->setPixmap(icon.scaled(48, 48, Qt::KeepAspectRatio));
    QLabel* title = make_label("Label1", "VELT " + text_of(setup_text::product) + " ", header);
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.8);
    title->setFont(font);
    row->addWidget(image);
    row->addWidget(title, 1);
    return header;
}

QWidget* TSetupForm::create_welcome_page() {
    QWidget* panel = make_panel("Panel3");
    auto* column = new QVBoxLayout(panel);
    column->addWidget(
        make_label("Label2", "Welcome to " + text_of(setup_text::product) + " setup.", panel));
    Label3 = make_label(
        "Label3", "Click Cancel to quit Setup. Click Next to continue the Setup Program. ", panel);
    Label3->setWordWrap(true);
    column->addWidget(Label3);
    column->addStretch(1);
    return panel;
}

QWidget* TSetupForm::create_license_page() {
    QWidget* panel = make_panel("Panel4");
    auto* column = new QVBoxLayout(panel);
    column->addWidget(make_label("Label4", "Please read the following License Agreement: ", panel));
    Memo1 = new QPlainTextEdit(panel);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    column->addWidget(Memo1, 1);
    column->addWidget(
        make_label("Label5", "Do you accept the terms of the License Agreement? ", panel));
    return panel;
}

QWidget* TSetupForm::create_folder_page() {
    QWidget* panel = make_panel("Panel5");
    auto* column = new QVBoxLayout(panel);
    auto* destination = new QGroupBox(QStringLiteral("Select a destination directory: "), panel);
    auto* row = new QHBoxLayout(destination);
    Edit1 = new QLineEdit(destination);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    QPushButton* browse = make_button("BitBtn1", QStringLiteral("Browse ..."), destination);
    connect(browse, &QPushButton::clicked, this, &TSetupForm::BitBtn1Click);
    row->addWidget(Edit1, 1);
    row->addWidget(browse);
    column->addWidget(destination);
    Label7 = make_label("Label7", QString(), panel);
    column->addWidget(Label7);
    Label8 = make_label("Label8", QString(), panel);
    QFont bold = Label8->font();
    bold.setBold(true);
    Label8->setFont(bold);
    Label8->setWordWrap(true);
    column->addWidget(Label8);
    auto* additional = new QGroupBox(QStringLiteral("Additional"), panel);
    auto* options = new QVBoxLayout(additional);
    CheckBox1 = new QCheckBox(QStringLiteral("Add an icon to the Windows desktop?"), additional);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox2 =
        new QCheckBox(QStringLiteral("Explorer shell extension [context menu item]"), additional);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setChecked(true);
    options->addWidget(CheckBox1);
    options->addWidget(CheckBox2);
    column->addWidget(additional);
    column->addStretch(1);
    return panel;
}

QWidget* TSetupForm::create_summary_page() {
    QWidget* panel = make_panel("Panel7");
    auto* column = new QVBoxLayout(panel);
    QLabel* ready = make_label("Label14",
                               "Setup is now ready to begin installing the software  on your "
                               "computer. Click Back if you want to change any settings. ",
                               panel);
    ready->setWordWrap(true);
    column->addWidget(ready);
    column->addWidget(make_label("Label18", "You have made the following selections:", panel));
    auto* directory = new QGroupBox(QStringLiteral("Installation directory: "), panel);
    auto* directory_column = new QVBoxLayout(directory);
    Label15 = make_label("Label15", QString(), directory);
    directory_column->addWidget(Label15);
    column->addWidget(directory);
    auto* additional = new QGroupBox(QStringLiteral("Additional"), panel);
    auto* additional_column = new QVBoxLayout(additional);
    Label16 = make_label("Label16", QString(), additional);
    Label17 = make_label("Label17", QString(), additional);
    additional_column->addWidget(Label16);
    additional_column->addWidget(Label17);
    column->addWidget(additional);
    column->addStretch(1);
    return panel;
}

QWidget* TSetupForm::create_progress_page() {
    QWidget* panel = make_panel("Panel6");
    auto* column = new QVBoxLayout(panel);
    column->addWidget(make_label("Label9", QStringLiteral("Setup progress indicator"), panel));
    auto* row = new QHBoxLayout;
    ProgressBar1 = new QProgressBar(panel);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    Label10 = make_label("Label10", QStringLiteral("0"), panel);
    row->addWidget(ProgressBar1, 1);
    row->addWidget(Label10);
    row->addWidget(make_label("Label11", QStringLiteral("%"), panel));
    column->addLayout(row);
    Label12 = make_label("Label12", text_of(setup_text::product) + " setup is complete.", panel);
    Label12->hide();
    column->addWidget(Label12);
    column->addStretch(1);
    return panel;
}

QWidget* TSetupForm::create_button_bar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->addStretch(1);
    Button3 = make_button("Button3", QStringLiteral("< Back"), bar);
    Button2 = make_button("Button2", QStringLiteral("Next >"), bar);
    Button1 = make_button("Button1", QStringLiteral("Cancel"), bar);
    row->addWidget(Button3);
    row->addWidget(Button2);
    row->addWidget(Button1);
    connect(Button1, &QPushButton::clicked, this, &TSetupForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TSetupForm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TSetupForm::Button3Click);
    return bar;
}

bool TSetupForm::check_distribution() {
    if (!distribution_.missing().empty()) {
        terminate(text_of(setup_text::incomplete),
                  "Missing: " + path_text(distribution_.folder() + distribution_.missing()));
        return false;
    }
    Label7->setText("The program requires " +
                    QLocale().toString(qlonglong(distribution_.required_kb())) +
                    " Kb of the disk space.");
    return true;
}

void TSetupForm::terminate(const QString& text, const QString& detail) {
    dialogs_.message(this, QMessageBox::Critical, text, detail);
    terminating_ = true;
    if (isVisible()) QTimer::singleShot(0, this, &QWidget::close);
}

void TSetupForm::warn(const std::string& text, const std::string& detail) {
    dialogs_.message(this, QMessageBox::Warning, text_of(text), path_text(detail));
}

void TSetupForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (terminating_) QTimer::singleShot(0, this, &QWidget::close);
}

void TSetupForm::Button1Click() {
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
    QString title = text_of(setup_text::product) + "\r\nSelect an installation folder";
    QString chosen;
    if (!dialogs_.browse_folder(this, title, path_text(browse_start_), chosen)) return;
    std::string folder = QFile::encodeName(chosen).toStdString();
    if (folder.empty() || folder.back() != '/') folder += '/';
    set_folder(folder + "ORV1");
}

void TSetupForm::set_folder(const std::string& folder) {
    choices_.install_folder = folder;
    Edit1->setText(path_text(folder));
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
}

void TSetupForm::show_buttons() {
    static const char* const next_captions[] = {"Next >", "Accept", "Next >", "Start installation"};
    Button3->setVisible(page_ >= 1 && page_ <= 3);
    Button2->setVisible(page_ <= 3);
    Button1->setVisible(true);
    if (page_ <= 3) Button2->setText(QString::fromLatin1(next_captions[page_]));
    Button1->setText(page_ == 1   ? QStringLiteral("Don't Accept")
                     : page_ == 4 ? QStringLiteral("Finish")
                                  : QStringLiteral("Cancel"));
    (page_ == 4 ? Button1 : Button2)->setFocus();
}

bool TSetupForm::load_license() {
    vtstring text;
    if (!vtfile_read_all(distribution_.folder() + "license.txt", text)) {
        terminate(text_of(setup_text::file_error));
        close();
        return false;
    }
    Memo1->setPlainText(QString::fromUtf8(text.data(), text.length()));
    return true;
}

bool TSetupForm::choose_folder() {
    vthash values;
    values.set(vtval(setup_text::inst_dir), vtval(""));
    bool known = store_.read_values(reg_root::hklm, setup_text::program_key, values);
    if (!known && !store_.error().empty()) {
        terminate(text_of(setup_text::registry_read), path_text(store_.error()));
        close();
        return false;
    }
    std::string folder(known ? values.find(setup_text::inst_dir)->text() : std::string_view());
    if (!folder.empty()) {
        if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        Label8->setText(text_of(setup_text::previous_version));
    } else if (program_files_folder(folder)) {
        folder += "/VELT/ORV1";
    } else {
        terminate(text_of(setup_text::registry_read));
        close();
        return false;
    }
    set_folder(folder);
    return true;
}

void TSetupForm::fill_summary() {
    Label15->setText(path_text(vtfile_short_path(choices_.install_folder, 60).view()));
    choices_.desktop_icon = CheckBox1->isChecked();
    choices_.shell_extension = CheckBox2->isChecked();
    Label16->setText(choices_.desktop_icon ? QStringLiteral("Yes, create a desktop icon.")
                                           : QStringLiteral("No, do not create a desktop icon."));
    Label17->setText(
        choices_.shell_extension
            ? QStringLiteral("Yes, add explorer shell extension [context menu item].")
            : QStringLiteral("No, do not add explorer shell extension [context menu item]."));
}

void TSetupForm::show_progress(int percent) {
    ProgressBar1->setValue(percent);
    Label10->setText(QString::number(percent));
    repaint();
}

void TSetupForm::install() {
    setup_install installer(store_, distribution_);
    bool ok = installer.check_space(choices_.install_folder);
    if (ok) {
        Button1->hide();
        Button2->hide();
        Button3->hide();
        pages_->setCurrentIndex(4);
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
    Label12->show();
    show_buttons();
}
