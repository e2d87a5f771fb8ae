// The installer's wizard driven as a user would drive it, offscreen, with
// scripted message boxes and folder browser, in a throw-away home.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <map>
#include <set>

#include "desktop/dialogs.h"
#include "desktop/instance_lock.h"
#include "files/vtfile.h"
#include "setup/TSetupForm.h"
#include "setup/registry_store.h"
#include "setup/setup_text.h"
#include "setup/shell_folders.h"
#include "setup_test_env.h"
#include "support/qt_application.h"

// Under the leak checker: font configuration caches that Qt's font database
// keeps until the process ends are the system library's, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {

const std::string built_distribution = ORVANE_BUILD_DIR "/dist/orvane-1.0b";

class scripted_dialogs : public dialogs {
  public:
    struct shown {
        QMessageBox::Icon icon;
        QString text;
        QString detail;
    };
    void message(QWidget*, QMessageBox::Icon icon, const QString& text,
                 const QString& detail) override {
        messages.push_back({icon, text, detail});
    }
    bool question(QWidget*, const QString&, QMessageBox::StandardButton) override { return true; }
    save_answer ask_save(QWidget*, const QString&) override { return save_answer::cancel; }
    QStringList choose_files(QWidget*, const file_request&) override { return {}; }
    QString choose_folder(QWidget*, const QString& title, const QString& start) override {
        browse_title = title;
        browse_start = start;
        return browse_answer;
    }
    void show_modal(QDialog&) override {}

    std::vector<shown> messages;
    QString browse_answer;
    QString browse_title;
    QString browse_start;
};

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

class SetupWizard : public ::testing::Test {
  protected:
    void SetUp() override { test_application(); }

    template <class T>
    T* control(TSetupForm& form, const char* name) {
        T* widget = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString text(TSetupForm& form, const char* name) { return control<QLabel>(form, name)->text(); }
    void click(TSetupForm& form, const char* name) {
        QPushButton* button = control<QPushButton>(form, name);
        ASSERT_TRUE(button->isVisible()) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Runs the wizard to its end, installing into folder + "/ORV1".
    void install_through_wizard(const std::string& dist, const std::string& folder, bool desktop) {
        TSetupForm form(dialogs, store, dist, "");
        ASSERT_FALSE(form.terminating());
        form.show();
        click(form, "Button2");
        click(form, "Button2");
        dialogs.browse_answer = q(folder);
        click(form, "BitBtn1");
        control<QCheckBox>(form, "CheckBox1")->setChecked(desktop);
        click(form, "Button2");
        click(form, "Button2");
        EXPECT_EQ(form.page(), 4);
        EXPECT_TRUE(control<QLabel>(form, "Label12")->isVisible());
    }

    setup_test_env env;
    registry_store store{registry_store::default_folder()};
    scripted_dialogs dialogs;
};

TEST_F(SetupWizard, PagesCaptionsAndChoices) {
    std::string dist = env.root() + "/dist";
    make_fake_distribution(dist);
    TSetupForm form(dialogs, store, dist, "");
    ASSERT_FALSE(form.terminating());
    form.show();
    EXPECT_EQ(form.windowTitle().toStdString(), "Orvane 1.0b setup - 1 of 5: Welcome");
    EXPECT_EQ(text(form, "Label1"), "VELT Orvane 1.0b ");
    EXPECT_EQ(text(form, "Label2"), "Welcome to Orvane 1.0b setup.");
    EXPECT_FALSE(control<QPushButton>(form, "Button3")->isVisible());
    EXPECT_EQ(control<QPushButton>(form, "Button1")->text(), "Cancel");

    click(form, "Button2");
    EXPECT_EQ(form.windowTitle().toStdString(), "Orvane 1.0b setup - 2 of 5: License agreement");
    EXPECT_EQ(control<QPlainTextEdit>(form, "Memo1")->toPlainText(), "contents of license.txt");
    EXPECT_EQ(control<QPushButton>(form, "Button1")->text(), "Don't Accept");
    EXPECT_EQ(control<QPushButton>(form, "Button2")->text(), "Accept");
    EXPECT_EQ(control<QPushButton>(form, "Button3")->text(), "< Back");

    click(form, "Button2");
    std::string program_files;
    ASSERT_TRUE(program_files_folder(program_files));
    EXPECT_EQ(control<QLineEdit>(form, "Edit1")->text(), q(program_files + "/VELT/ORV1"));
    EXPECT_EQ(text(form, "Label8"), "");
    setup_distribution measured;
    ASSERT_TRUE(measured.check(dist));
    EXPECT_EQ(text(form, "Label7"), "The program requires " +
                                        TSetupForm::size_text(measured.required_size()) +
                                        " of disk space.");
    EXPECT_EQ(form.windowTitle().toStdString(), "Orvane 1.0b setup - 3 of 5: Installation folder");
    EXPECT_FALSE(control<QCheckBox>(form, "CheckBox1")->isChecked());
    EXPECT_TRUE(control<QCheckBox>(form, "CheckBox2")->isChecked());

    // The root folder picked in the browser gets the program's folder below it.
    dialogs.browse_answer = "/";
    click(form, "BitBtn1");
    EXPECT_EQ(control<QLineEdit>(form, "Edit1")->text(), "/ORV1");

    // A long folder picked in the browser; the summary shortens it.
    std::string picked = env.root() + "/a/rather/long/folder/name/that/goes/on/and/on/for/a/while";
    dialogs.browse_answer = q(picked + "/");
    click(form, "BitBtn1");
    EXPECT_EQ(dialogs.browse_title, "Orvane 1.0b\r\nSelect an installation folder");
    EXPECT_EQ(dialogs.browse_start, "/");
    EXPECT_EQ(control<QLineEdit>(form, "Edit1")->text(), q(picked + "/ORV1"));
    control<QCheckBox>(form, "CheckBox2")->setChecked(false);
    click(form, "Button2");
    QString summary = text(form, "Label15");
    EXPECT_EQ(summary.size(), 60);
    EXPECT_EQ(summary, "/..." + q(picked + "/ORV1").right(56));
    EXPECT_EQ(text(form, "Label16"), "No, do not create a desktop icon.");
    // The option has one name on every page; no text has a double blank.
    EXPECT_EQ(text(form, "Label17"),
              "No, do not add the file manager context menu item [Open With].");
    EXPECT_EQ(control<QCheckBox>(form, "CheckBox1")->text(), "Add an icon to the desktop?");
    EXPECT_EQ(control<QCheckBox>(form, "CheckBox2")->text(),
              "File manager context menu item [Open With]");
    for (QLabel* label : form.findChildren<QLabel*>())
        EXPECT_EQ(label->text().indexOf("  "), -1) << label->text().toStdString();
    EXPECT_EQ(form.windowTitle().toStdString(), "Orvane 1.0b setup - 4 of 5: Ready to install");
    EXPECT_EQ(control<QPushButton>(form, "Button2")->text(), "Start installation");

    // Back and forth keeps the folder picked in the browser.
    click(form, "Button3");
    EXPECT_EQ(control<QLineEdit>(form, "Edit1")->text(), q(picked + "/ORV1"));
    dialogs.browse_answer.clear();
    click(form, "BitBtn1");
    EXPECT_EQ(control<QLineEdit>(form, "Edit1")->text(), q(picked + "/ORV1"));
    EXPECT_EQ(dialogs.browse_start, q(env.root()));

    click(form, "Button1");
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SetupWizard, FullInstallFromTheBuiltDistribution) {
    ASSERT_TRUE(exists(built_distribution)) << "build the target 'distribution' first";
    std::string before = snapshot(env.home());
    std::set<std::string> before_paths = tree_paths(env.home());
    make_folder(env.home() + "/Programs");
    install_through_wizard(built_distribution, env.home() + "/Programs", true);
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();

    std::string inst = env.home() + "/Programs/ORV1";
    std::set<std::string> expected, installed;
    vtfile_tree tree;
    vtfile_list(built_distribution, tree, nullptr, true, "*");
    for (vtfile_node* node = tree.first(); node; node = node->next) {
        std::string name = node->path.str();
        if (node->is_directory == 0) {
            expected.insert(name == "setup" ? "vorn1" : name);
            continue;
        }
        expected.insert(name);
        vtfile_tree inner;
        vtfile_list(built_distribution + "/" + name, inner, nullptr, true, "*");
        for (vtfile_node* file = inner.first(); file; file = file->next) {
            if (file->is_directory == 0) expected.insert(name + "/" + file->path.str());
        }
    }
    vtfile_tree done;
    vtfile_list(inst, done, nullptr, true, "*");
    for (vtfile_node* node = done.first(); node; node = node->next) {
        installed.insert(node->path.str());
        if (node->is_directory == 0) continue;
        vtfile_tree inner;
        vtfile_list(inst + "/" + node->path.str(), inner, nullptr, true, "*");
        for (vtfile_node* file = inner.first(); file; file = file->next) {
            installed.insert(node->path.str() + "/" + file->path.str());
        }
    }
    EXPECT_EQ(installed, expected);
    EXPECT_TRUE(expected.count("vorn1") && expected.count("remove") && expected.count("vtdata"));

    std::vector<std::string> entries = {env.applications() + "/velt-orvane-vorn1.desktop",
                                        env.applications() + "/velt-orvane-help.desktop",
                                        env.applications() + "/velt-orvane-uninstall.desktop",
                                        env.applications() + "/velt-orvane-create-toc.desktop",
                                        env.data() + "/desktop-directories/velt-orvane.directory",
                                        env.desktop() + "/VELT Orvane 1.0b.desktop"};
    for (const std::string& entry : entries) {
        std::string report;
        EXPECT_EQ(run_program({"/usr/bin/desktop-file-validate", entry}, "/", report), 0) << entry;
        EXPECT_EQ(report, "") << entry;
    }
    vthash values;
    for (const char* name : {"inst_dir", "icon_dir", "desktop_icon"})
        values.set(vtval(name), vtval(""));
    ASSERT_TRUE(store.read_values(reg_root::hklm, setup_text::program_key, values));
    EXPECT_EQ(values.find("inst_dir")->text(), inst + "/");
    EXPECT_EQ(values.find("icon_dir")->text(),
              env.config() + "/menus/applications-merged/user-velt-orvane.menu");
    EXPECT_EQ(values.find("desktop_icon")->text(), entries.back());

    // Outside the installation folder exactly these appeared in the home.
    std::set<std::string> appeared;
    for (const std::string& path : tree_paths(env.home())) {
        if (!before_paths.count(path) && path.rfind("Programs", 0) != 0) appeared.insert(path);
    }
    std::set<std::string> expected_new = {
        ".config/VELT", ".config/VELT/registry", ".config/VELT/registry/HKCR",
        ".config/VELT/registry/HKLM", ".config/menus", ".config/menus/applications-merged",
        ".config/menus/applications-merged/user-velt-orvane.menu",
        // The browser that opened HTML pages before is written down as the
        // user's choice: the new "Open With" entry would have become it.
        ".config/mimeapps.list", ".local/share/applications/velt-orvane-create-toc.desktop",
        ".local/share/applications/velt-orvane-help.desktop",
        ".local/share/applications/velt-orvane-uninstall.desktop",
        ".local/share/applications/velt-orvane-vorn1.desktop", ".local/share/desktop-directories",
        ".local/share/desktop-directories/velt-orvane.directory",
        "Desktop/VELT Orvane 1.0b.desktop"};
    // The "Open With" cache, where the desktop's tool to make it is there.
    if (exists("/usr/bin/update-desktop-database"))
        expected_new.insert(".local/share/applications/mimeinfo.cache");
    EXPECT_EQ(appeared, expected_new);
    vthash uninstall;
    uninstall.set(vtval("DisplayName"), vtval(""));
    uninstall.set(vtval("UninstallString"), vtval(""));
    ASSERT_TRUE(store.read_values(reg_root::hklm, setup_text::uninstall_key, uninstall));
    EXPECT_EQ(uninstall.find("DisplayName")->text(), "Orvane 1.0b");
    EXPECT_EQ(uninstall.find("UninstallString")->text(), inst + "/remove");
    vthash command;
    command.set(vtval(""), vtval(""));
    ASSERT_TRUE(store.read_values(
        reg_root::hkcr, "text/html\\shell\\Create ToC with Orvane 1.0b\\command", command));
    EXPECT_EQ(command.find("")->text(), inst + "/vorn1 %f");

    // The context-menu entry starts the installed program with the page.
    std::vector<std::string> args;
    ASSERT_TRUE(parse_exec(entry_value(entries[3], "Exec"), "/site/page.html", args));
    if (exists("/usr/bin/update-desktop-database")) {
        EXPECT_NE(read_text(env.applications() + "/mimeinfo.cache")
                      .find("text/html=velt-orvane-create-toc.desktop;"),
                  std::string::npos);
    }
    EXPECT_EQ(args, (std::vector<std::string>{inst + "/vorn1", "/site/page.html"}));

    // The installed program builds from its new folder, with the templates
    // installed beside it (the example's project names them as ../vtdata/).
    std::string site = inst + "/example";
    std::string copy = "cp -r '" ORVANE_SOURCE_DIR "/examples' '" + site + "'";
    ASSERT_EQ(std::system(copy.c_str()), 0);
    std::string report;
    EXPECT_EQ(run_program({inst + "/vorn1", "-command", "project.txt"}, site, report), 0) << report;
    EXPECT_EQ(report.rfind("Orvane 1.0b\r\nBuild is complete.", 0), 0u) << report;
    EXPECT_NE(read_text(site + "/index.html").find("<!--VELT_HTML_TOC_START-->"),
              std::string::npos);
    ASSERT_EQ(std::system(("rm -rf '" + site + "'").c_str()), 0);

    // remove --yes leaves the home as it was, apart from the test's own folder.
    EXPECT_EQ(run_program({inst + "/remove", "--yes"}, env.root(), report), 0) << report;
    EXPECT_EQ(report, "Orvane 1.0b has been removed.\n");
    rmdir((env.home() + "/Programs").c_str());
    EXPECT_EQ(snapshot(env.home()), before);
}

TEST(setup_sizes, KibUnderOneMibThenMib) {
    test_application();
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(TSetupForm::size_text(1), "1 KiB");
    EXPECT_EQ(TSetupForm::size_text(1024), "1 KiB");
    EXPECT_EQ(TSetupForm::size_text(1025), "2 KiB");
    EXPECT_EQ(TSetupForm::size_text(1024 * 1024 - 1), "1024 KiB");
    EXPECT_EQ(TSetupForm::size_text(1024 * 1024), "1.0 MiB");
    EXPECT_EQ(TSetupForm::size_text(5 * 1024 * 1024 + 300 * 1024), "5.3 MiB");
    QLocale::setDefault(QLocale::system());
}

// The last page: "100 %", the step named, what was left undone said, and
// "Start Orvane now" starting the installed program on Finish.
TEST_F(SetupWizard, LastPageOffersToStartTheProgram) {
    std::string dist = env.root() + "/dist";
    make_fake_distribution(dist);
    env.remove_browser();
    TSetupForm form(dialogs, store, dist, "");
    std::vector<std::string> started;
    form.set_starter([&](const std::string& program) {
        started.push_back(program);
        return true;
    });
    form.show();
    click(form, "Button2");
    click(form, "Button2");
    dialogs.browse_answer = q(env.root());
    click(form, "BitBtn1");
    click(form, "Button2");
    click(form, "Button2");
    ASSERT_EQ(form.page(), 4);
    EXPECT_EQ(text(form, "Label10"), "100 %");
    EXPECT_EQ(form.windowTitle().toStdString(), "Orvane 1.0b setup - 5 of 5: Finished");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, QMessageBox::Information);
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), setup_text::no_html_program);
    auto* start = control<QCheckBox>(form, "CheckBox3");
    EXPECT_TRUE(start->isVisible());
    EXPECT_EQ(start->text(), "&Start Orvane now");
    EXPECT_TRUE(start->isChecked());
    click(form, "Button1");
    EXPECT_EQ(started, std::vector<std::string>{env.root() + "/ORV1/vorn1"});
}

TEST_F(SetupWizard, SecondRunProposesTheRecordedFolder) {
    std::string dist = env.root() + "/dist";
    make_fake_distribution(dist);
    install_through_wizard(dist, env.root() + "/first", false);
    TSetupForm again(dialogs, store, dist, "");
    again.show();
    click(again, "Button2");
    click(again, "Button2");
    EXPECT_EQ(control<QLineEdit>(again, "Edit1")->text(), q(env.root() + "/first/ORV1"));
    EXPECT_EQ(text(again, "Label8"), q(std::string(setup_text::previous_version)));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SetupWizard, IncompleteDistributionStopsAtOnce) {
    std::string dist = env.root() + "/dist";
    make_fake_distribution(dist);
    ASSERT_EQ(std::remove((dist + "/help.html").c_str()), 0);
    TSetupForm form(dialogs, store, dist, "");
    EXPECT_TRUE(form.terminating());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, QMessageBox::Critical);
    EXPECT_EQ(dialogs.messages[0].text, "The distribution is incomplete.\nTerminating.");
    form.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 5000));
}

TEST_F(SetupWizard, RunningProgramStopsTheInstaller) {
    std::string dist = env.root() + "/dist";
    make_fake_distribution(dist);
    auto window = std::make_unique<instance_lock>();
    ASSERT_TRUE(window->held());
    TSetupForm form(dialogs, store, dist, "");
    EXPECT_TRUE(form.terminating());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Before installation you need to close running\r\nOrvane 1.0b");
    window.reset();
    TSetupForm free_now(dialogs, store, dist, "");
    EXPECT_FALSE(free_now.terminating());
    EXPECT_FALSE(free_now.windowIcon().isNull());  // the program's icon, from the distribution

    // Installed from the Debian package: no second copy over it.
    dialogs.messages.clear();
    TSetupForm packaged(dialogs, store, dist, "/usr/bin/vorn1");
    EXPECT_TRUE(packaged.terminating());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, QMessageBox::Critical);
    EXPECT_EQ(dialogs.messages[0].text, q(std::string(setup_text::package_installed)));
    EXPECT_FALSE(exists(env.home() + "/.local/share/VELT"));
}

// Return presses the page's default button, so the keyboard alone walks
// through the wizard; the licence keeps its own line breaks.
TEST_F(SetupWizard, ReturnAdvancesThroughThePages) {
    std::string dist = env.root() + "/dist";
    make_fake_distribution(dist);
    const std::string long_line =
        "Permission is hereby granted, free of charge, to any person obtaining a copy";
    write_text(dist + "/license.txt", "short\n" + long_line + "\nend\n");
    TSetupForm form(dialogs, store, dist, "");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (int page = 1; page <= 3; ++page) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(form.page(), page);
        EXPECT_TRUE(control<QPushButton>(form, "Button2")->isDefault()) << page;
        if (page == 2) {  // installs into the test's own folder, not the default
            dialogs.browse_answer = q(env.root());
            click(form, "BitBtn1");
        }
        if (page != 1) continue;
        auto* memo = control<QPlainTextEdit>(form, "Memo1");
        EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
        EXPECT_GE(memo->viewport()->width(),
                  memo->fontMetrics().horizontalAdvance(QString::fromStdString(long_line)));
        memo->setFocus();  // Return in the licence text still accepts it
    }
    control<QCheckBox>(form, "CheckBox1")->setFocus();
    QTest::keyClick(&form, Qt::Key_Return, Qt::KeypadModifier);  // Enter of the number pad
    EXPECT_EQ(form.page(), 4);
    EXPECT_EQ(form.install_folder(), env.root() + "/ORV1/");
    EXPECT_TRUE(control<QPushButton>(form, "Button1")->isDefault());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SetupWizard, FolderThatCannotBeCreatedReturnsToTheSummary) {
    std::string dist = env.root() + "/dist";
    make_fake_distribution(dist);
    write_text(env.root() + "/blocker", "a file where a folder should be");
    TSetupForm form(dialogs, store, dist, "");
    form.show();
    click(form, "Button2");
    click(form, "Button2");
    dialogs.browse_answer = q(env.root() + "/blocker");
    click(form, "BitBtn1");
    click(form, "Button2");
    click(form, "Button2");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, QMessageBox::Warning);
    EXPECT_EQ(
        dialogs.messages[0].text,
        "Destination folder can not be created. Please select another directory for installation.");
    EXPECT_EQ(form.page(), 3);
    EXPECT_EQ(text(form, "Label15"), q(env.root() + "/blocker/ORV1"));
    EXPECT_EQ(control<QPushButton>(form, "Button2")->text(), "Start installation");
    EXPECT_TRUE(control<QPushButton>(form, "Button3")->isVisible());
    EXPECT_TRUE(control<QPushButton>(form, "Button1")->isVisible());
    // Back to page 2 the choice is still there.
    click(form, "Button3");
    EXPECT_EQ(control<QLineEdit>(form, "Edit1")->text(), q(env.root() + "/blocker/ORV1"));
}

TEST_F(SetupWizard, DamagedStoreIsExplained) {
    std::string dist = env.root() + "/dist";
    make_fake_distribution(dist);
    make_folder(env.config() + "/VELT");
    make_folder(env.registry());
    write_text(env.registry() + "/HKLM", "\x7f\x45LF binary junk");
    TSetupForm form(dialogs, store, dist, "");
    form.show();
    click(form, "Button2");
    click(form, "Button2");
    EXPECT_TRUE(form.terminating());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, q(std::string(setup_text::registry_read)));
    EXPECT_TRUE(dialogs.messages[0].detail.contains(q(env.registry() + "/HKLM")));
    EXPECT_TRUE(dialogs.messages[0].detail.contains("damaged"));
    EXPECT_EQ(read_text(env.registry() + "/HKLM"), "\x7f\x45LF binary junk");
}

TEST_F(SetupWizard, WithoutADisplayTheProgramsSaySoAndStop) {
    ASSERT_TRUE(exists(built_distribution)) << "build the target 'distribution' first";
    std::map<std::string, std::string> saved;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (const char* value = std::getenv(name)) saved[name] = value;
        unsetenv(name);
    }
    std::string before = snapshot(env.root());
    std::string output;
    EXPECT_EQ(run_program({built_distribution + "/setup"}, env.root(), output), 1);
    EXPECT_EQ(output, "setup: no display: the installer needs a desktop session\n");
    EXPECT_EQ(run_program({built_distribution + "/remove"}, env.root(), output), 1);
    EXPECT_NE(output.find("remove --yes"), std::string::npos) << output;
    // With --yes but nothing installed it says so.
    EXPECT_EQ(run_program({built_distribution + "/remove", "--yes"}, env.root(), output), 1);
    EXPECT_EQ(output, "Orvane 1.0b is not installed.\n");
    EXPECT_EQ(snapshot(env.root()), before);
    for (const auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
}

}  // namespace
