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
class setup_dialogs;

class TSetupForm : public QWidget {
    Q_OBJECT

  public:
    // distribution_folder is where the files to install are.
    TSetupForm(setup_dialogs& dialogs, registry_store& store,
               const std::string& distribution_folder, QWidget* parent = nullptr);

    bool terminating() const { return terminating_; }
    int page() const { return page_; }
    const std::string& install_folder() const { return choices_.install_folder; }

  protected:
    void showEvent(QShowEvent* event) override;

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
    void change_page();
    void show_buttons();
    bool load_license();
    bool choose_folder();
    void set_folder(const std::string& folder);
    void fill_summary();
    void install();
    void show_progress(int percent);
    void terminate(const QString& text, const QString& detail = {});
    void warn(const std::string& text, const std::string& detail);

    setup_dialogs& dialogs_;
    registry_store& store_;
    setup_distribution distribution_;
    setup_choices choices_;
    std::string browse_start_;
    int page_ = 0;
    bool terminating_ = false;

    QStackedWidget* pages_ = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QLabel* Label3 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label12 = nullptr;
};
