// TSetupForm: the installer's five-page wizard.
//
// Page 0 welcomes, page 1 shows the licence, page 2 chooses the installation
// folder and the options, page 3 sums up, page 4 installs and shows the
// progress. A failed installation returns to page 3 with every choice kept.
// The window refuses to start (terminating()) while the program runs, when
// the distribution is incomplete, or when the licence or the folder cannot
// be read; it then closes as soon as it is shown.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "setup/registry_store.h"
#include "setup/setup_distribution.h"
#include "setup/setup_install.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QPlainTextEdit;
class dialogs;

class TSetupForm : public QWidget {
    Q_OBJECT

  public:
    // distribution_folder is where the files to install are; package_program
    // is the program of an installed Debian package (empty: none), over which
    // the wizard installs nothing.
    TSetupForm(dialogs& owner_dialogs, registry_store& store,
               const std::string& distribution_folder, const std::string& package_program,
               QWidget* parent = nullptr);

    bool terminating() const { return terminating_; }
    int page() const { return page_; }
    const std::string& install_folder() const { return choices_.install_folder; }
    // Starts a program in the background (the installed one, when "Start
    // Orvane now" is checked on Finish). By default a detached process.
    using starter = std::function<bool(const std::string& program)>;
    void set_starter(starter start) { start_ = std::move(start); }

    // "1.2 MiB" (one decimal, the locale's) from 1 MiB on, else "340 KiB"
    // (rounded up).
    static QString size_text(int64_t bytes);

  protected:
    void showEvent(QShowEvent* event) override;
    // Return and Enter press the page's default button, as in a dialog.
    void keyPressEvent(QKeyEvent* event) override;

  private slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void BitBtn1Click();

  private:
    QWidget* create_header();
    QWidget* create_welcome_page();
    QWidget* create_license_page();
    QWidget* create_folder_page();
    QWidget* create_summary_page();
    QWidget* create_progress_page();
    QWidget* create_button_bar();

    bool check_distribution();
    void fit_license();
    void change_page();
    void show_buttons();
    QPushButton* default_button() const;
    bool load_license();
    bool choose_folder();
    void set_folder(const std::string& folder);
    void fill_summary();
    void install();
    void show_progress(int percent);
    void update_title();
    void terminate(const QString& text, const QString& detail = {});
    void warn(const std::string& text, const std::string& detail);

    dialogs& dialogs_;
    registry_store& store_;
    setup_distribution distribution_;
    setup_choices choices_;
    std::string browse_start_;
    starter start_;
    int page_ = 0;
    bool terminating_ = false;

    // The controls carry their documented names as objectName (in brackets).
    QStackedWidget* pages_ = nullptr;
    QPushButton* cancel_button_ = nullptr;       // Button1: Cancel, Don't Accept, Finish
    QPushButton* next_button_ = nullptr;         // Button2
    QPushButton* back_button_ = nullptr;         // Button3
    QPlainTextEdit* license_text_ = nullptr;     // Memo1
    QLineEdit* folder_field_ = nullptr;          // Edit1
    QLabel* space_needed_ = nullptr;             // Label7
    QLabel* previous_version_ = nullptr;         // Label8
    QCheckBox* desktop_icon_ = nullptr;          // CheckBox1
    QCheckBox* shell_extension_ = nullptr;       // CheckBox2
    QLabel* summary_folder_ = nullptr;           // Label15
    QLabel* summary_desktop_icon_ = nullptr;     // Label16
    QLabel* summary_shell_extension_ = nullptr;  // Label17
    QProgressBar* progress_bar_ = nullptr;       // ProgressBar1
    QLabel* progress_percent_ = nullptr;         // Label10
    QLabel* complete_ = nullptr;                 // Label12
    QCheckBox* start_now_ = nullptr;             // CheckBox3
};
