// The window's commands driven through menus, accelerators and tool buttons.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "driver/build_project.h"
#include "driver/clear_project.h"
#include "gui_fixture.h"
#include "project/project_paths.h"
#include "project/toc_project.h"

namespace {

const char* const k_page =
    "<html><head><title>Manual</title></head><body>\r\n<!-- toc -->\r\n"
    "<h1>Start</h1>\r\n<p>x</p>\r\n<h2>Install</h2>\r\n<h2>Run</h2>\r\n<h1>End</h1>\r\n"
    "</body></html>\r\n";

class commands : public window_test {
  protected:
    TveltORV1& shown_window() {
        TveltORV1& window = open_window();
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        return window;
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QTest::keyClick(window_.get(), static_cast<Qt::Key>(key), modifiers);
    }
    QStringList visible_recent_items() const {
        QStringList captions;
        for (QAction* item : find<QMenu>("RecentProjects1")->actions())
            if (item->isVisible()) captions << item->text();
        return captions;
    }
    // A saved project file for path, as the window writes it.
    void save_project_as(const QString& file) {
        dialogs_.files.push_back({file});
        window_->SaveProjectAs1Click();
    }
};

TEST_F(commands, ProjectFileCommandsFromKeysButtonsAndMenus) {
    TveltORV1& window = shown_window();
    find<QLineEdit>("Edit4")->setText("ab");
    dialogs_.files = {{path("first.txt")}};
    press(Qt::Key_S);  // a new project has no path yet: save as
    ASSERT_EQ(dialogs_.requests.size(), 1u);
    EXPECT_EQ(dialogs_.requests[0].title, "Save project settings file as");
    EXPECT_EQ(dialogs_.requests[0].default_suffix, "txt");
    EXPECT_TRUE(dialogs_.requests[0].save);
    EXPECT_EQ(caption(), "Orvane 1.0b - first.txt");
    EXPECT_EQ(status(), "Project is saved");
    EXPECT_NE(read_file(path("first.txt")).indexOf("<indent>ab</indent>\r\n"), -1);

    find<QToolButton>("SpeedButton4")->click();
    EXPECT_EQ(caption(), "Orvane 1.0b - New project");
    EXPECT_EQ(status(), "Project settings are cleared");
    EXPECT_EQ(find<QLineEdit>("Edit4")->text(), "");
    EXPECT_EQ(window.recent(), QStringList{path("first.txt")});

    dialogs_.files = {{path("first.txt")}};
    press(Qt::Key_O);
    EXPECT_EQ(dialogs_.requests.back().title, "Open project settings file");
    EXPECT_TRUE(dialogs_.requests.back().must_exist);
    EXPECT_EQ(find<QLineEdit>("Edit4")->text(), "ab");
    EXPECT_EQ(status(), "Project is opened");

    find<QLineEdit>("Edit4")->setText("cd");
    find<QToolButton>("SpeedButton6")->click();  // saves in place, no dialog
    EXPECT_EQ(dialogs_.requests.size(), 2u);
    EXPECT_NE(read_file(path("first.txt")).indexOf("<indent>cd</indent>"), -1);
    EXPECT_TRUE(dialogs_.messages.isEmpty());
}

TEST_F(commands, FailuresAreReportedAndTheWindowGoesOn) {
    TveltORV1& window = shown_window();
    write_file(path("broken.txt"), "<is_single>1");
    dialogs_.files = {{path("broken.txt")}};
    find<QToolButton>("SpeedButton5")->click();
    // The message names the file and the reader's reason; the project stays.
    EXPECT_EQ(dialogs_.messages.value(0),
              "Can't read project file: " + path("broken.txt") +
                  "\r\nLine: 1, column: 12\r\nError: unclosed tag.\r\n");
    EXPECT_EQ(caption(), "Orvane 1.0b - New project");
    EXPECT_TRUE(window.recent().isEmpty());  // the unreadable file is not remembered

    const QString unwritable = path("missing-folder/p.txt");
    save_project_as(unwritable);
    EXPECT_EQ(dialogs_.messages.value(1), "Can't save project to file: " + unwritable);
    EXPECT_EQ(window.project_path(), unwritable);

    shell_.succeed = false;
    window.ViewResultFile1Click();  // single file overwriting an empty source
    EXPECT_EQ(dialogs_.messages.value(2), "Can't show destination file: ");
    find<QAction>("Contents1")->trigger();
    EXPECT_EQ(dialogs_.messages.value(3), "Can not open help file");
    EXPECT_EQ(shell_.opened.value(1), "open " + paths_.help_contents);

    QFile::remove(paths_.data_folder + "templates.txt");
    find<QAction>("ReinitTemplateData1")->trigger();
    EXPECT_EQ(dialogs_.messages.value(4),
              "Can't open file " + paths_.data_folder + "templates.txt");
    EXPECT_EQ(find<QComboBox>("ComboBox3")->count(), 4);  // the old names stay

    press(Qt::Key_B);  // the empty source fails in the engine's own words
    finish_run();
    ASSERT_EQ(dialogs_.messages.size(), 6);
    EXPECT_EQ(dialogs_.messages[5], "Source file must be specified");
    EXPECT_FALSE(find<QAction>("ViewResultFile1")->isEnabled());
    EXPECT_FALSE(find<QProgressBar>("ProgressBar1")->isVisible());
    EXPECT_EQ(status(), "");  // no percentage of the failed build stays

    // Without xdg-open the message says what is missing.
    shell_.opener = false;
    find<QAction>("Contents1")->trigger();
    EXPECT_TRUE(dialogs_.messages.value(6).startsWith("xdg-open is missing"))
        << dialogs_.messages.value(6).toStdString();
}

// Unsaved edits: New, Open, Recent and closing the window ask first; Cancel
// keeps everything, Discard goes on, Save saves and goes on.
TEST_F(commands, UnsavedChangesAreNotLostWithoutAWord) {
    using answer = dialogs::save_answer;
    TveltORV1& window = shown_window();
    save_project_as(path("kept.txt"));
    auto* indent = find<QLineEdit>("Edit4");
    const struct {
        const char* command;
        answer reply;
        bool goes_on;
    } cases[] = {
        {"NewProject1", answer::cancel, false},    {"NewProject1", answer::discard, true},
        {"OpenProject1", answer::cancel, false},   {"OpenProject1", answer::save, true},
        {"RecentProject1", answer::cancel, false}, {"RecentProject1", answer::discard, true},
        {"Exit1", answer::cancel, false},          {"Exit1", answer::save, true},
    };
    for (const auto& c : cases) {
        const std::string name = std::string(c.command) + " " + std::to_string(int(c.reply));
        dialogs_.save_reply = answer::discard;
        window.RecentProjectClick(path("kept.txt"));  // a clean start: the saved project
        ASSERT_FALSE(window.unsaved_changes()) << name;
        indent->setText(QString::fromStdString(name));
        dialogs_.save_questions.clear();
        dialogs_.save_reply = c.reply;
        dialogs_.files = {{path("kept.txt")}};
        if (std::string(c.command) == "RecentProject1")
            window.RecentProjectClick(path("kept.txt"));
        else
            find<QAction>(c.command)->trigger();
        EXPECT_EQ(dialogs_.save_questions,
                  QStringList{"The project has unsaved changes. Do you want to save them?"})
            << name;
        const bool saved = read_file(path("kept.txt")).contains(name.c_str());
        EXPECT_EQ(saved, c.reply == answer::save) << name;
        EXPECT_EQ(indent->text() == QString::fromStdString(name), !c.goes_on || saved) << name;
        EXPECT_EQ(window.isVisible(), std::string(c.command) != "Exit1" || !c.goes_on) << name;
        if (!window.isVisible()) window.show();
    }
    EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join("|").toStdString();
}

TEST_F(commands, RecentListKeepsTenNewestAndCaseDifferentPaths) {
    TveltORV1& window = shown_window();
    EXPECT_FALSE(find<QMenu>("RecentProjects1")->isEnabled());
    for (int i = 1; i <= 11; ++i) {
        save_project_as(path(QStringLiteral("p%1.txt").arg(i)));
        find<QAction>("NewProject1")->trigger();
    }
    QStringList expected;
    for (int i = 11; i >= 2; --i) expected << path(QStringLiteral("p%1.txt").arg(i));
    EXPECT_EQ(window.recent(), expected);
    EXPECT_TRUE(find<QMenu>("RecentProjects1")->isEnabled());
    const QStringList captions = visible_recent_items();
    ASSERT_EQ(captions.size(), 10);
    EXPECT_EQ(captions[0], "&1 " + path("p11.txt"));
    EXPECT_EQ(captions[9], "1&0 " + path("p2.txt"));

    // Opening entry 3 puts it in front (the current project was new).
    find<QMenu>("RecentProjects1")->actions()[2]->trigger();
    EXPECT_EQ(window.project_path(), path("p9.txt"));
    EXPECT_EQ(status(), "Recent project is opened");
    find<QAction>("NewProject1")->trigger();
    EXPECT_EQ(window.recent().first(), path("p9.txt"));
    EXPECT_EQ(window.recent().size(), 10);

    save_project_as(path("Case.txt"));
    save_project_as(path("case.txt"));
    find<QAction>("NewProject1")->trigger();
    EXPECT_EQ(window.recent().mid(0, 2), (QStringList{path("case.txt"), path("Case.txt")}));

    // A project that is gone leaves the list when the menu opens.
    QFile::remove(path("Case.txt"));
    emit find<QMenu>("RecentProjects1")->aboutToShow();
    EXPECT_EQ(window.recent().mid(0, 2), (QStringList{path("case.txt"), path("p9.txt")}));
    EXPECT_TRUE(dialogs_.messages.isEmpty());
}

TEST_F(commands, RecentPathWithAmpersandShowsAndOpensAsItself) {
    TveltORV1& window = shown_window();
    save_project_as(path("R&D.txt"));
    find<QAction>("NewProject1")->trigger();
    EXPECT_EQ(visible_recent_items(), QStringList{"&1 " + path("R&&D.txt")});
    find<QMenu>("RecentProjects1")->actions()[0]->trigger();
    EXPECT_EQ(window.project_path(), path("R&D.txt"));
    EXPECT_EQ(caption(), "Orvane 1.0b - R&D.txt");
}

TEST_F(commands, BuildAndClearReportProgressAndEnableTheResult) {
    write_file(path("site/page.html"), k_page);
    TveltORV1& window = shown_window();
    window.preset_single_file(path("site/page.html"));
    QSignalSpy progress(find<QProgressBar>("ProgressBar1"), &QProgressBar::valueChanged);

    press(Qt::Key_B);
    finish_run();
    ASSERT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join("|").toStdString();
    EXPECT_EQ(status(), "HTML TOC has been created");
    EXPECT_EQ(shell_.beeps, 1);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().at(0).toInt(), 100);
    for (const QList<QVariant>& value : progress) EXPECT_LE(value.at(0).toInt(), 100);
    EXPECT_FALSE(find<QProgressBar>("ProgressBar1")->isVisible());
    const QByteArray built = read_file(path("site/page.html"));
    EXPECT_NE(built.indexOf("<!--VELT_HTML_TOC_START-->"), -1);
    EXPECT_NE(built.indexOf(">Install</a>"), -1);
    EXPECT_TRUE(find<QToolButton>("SpeedButton3")->isEnabled());

    // Switching the kind does not touch the result command; showing a record does.
    find<QRadioButton>("RadioButton2")->click();
    find<QRadioButton>("RadioButton1")->click();
    EXPECT_TRUE(find<QAction>("ViewResultFile1")->isEnabled());
    press(Qt::Key_R);
    EXPECT_EQ(shell_.opened, QStringList{"open " + path("site/page.html")});

    find<QToolButton>("SpeedButton2")->click();
    finish_run();
    EXPECT_EQ(dialogs_.questions,
              QStringList{"Are you sure you wish to clear the TOC and all HTML code inserted by "
                          "the program from the project's files?"});
    EXPECT_EQ(status(), "Clearance is done");
    EXPECT_EQ(shell_.beeps, 2);
    const QByteArray cleared = read_file(path("site/page.html"));
    EXPECT_EQ(cleared.indexOf("VELT_HTML_TOC"), -1);
    EXPECT_EQ(cleared.indexOf("velt_link_"), -1);

    press(Qt::Key_N);
    EXPECT_FALSE(find<QAction>("ViewResultFile1")->isEnabled());
    EXPECT_FALSE(find<QToolButton>("SpeedButton3")->isEnabled());
}

// The window builds and clears a site as batch mode does, its progress
// bar reaching 100 % each time.
TEST_F(commands, MultipleFilesBuildAndClearAsInBatchMode) {
    // New anchors carry a time stamp: one for both builds, whatever second
    // each of them runs in.
    qputenv("SOURCE_DATE_EPOCH", "1000000000");
    const QStringList pages{path("site/a.html"), path("site/sub/b c.html"),
                            path("site/index.html")};
    const QByteArrayList original{k_page, k_page,
                                  "<html><body>\r\n<!-- toc -->\r\n</body></html>\r\n"};
    auto put = [&](const QByteArrayList& bytes) {
        for (int i = 0; i < pages.size(); ++i) write_file(pages[i], bytes[i]);
    };
    auto files = [&] {
        QByteArrayList bytes;
        for (const QString& page : pages) bytes << read_file(page);
        return bytes;
    };
    put(original);
    TveltORV1& window = shown_window();
    find<QRadioButton>("RadioButton2")->click();
    find<QListWidget>("ListView1")->addItems(pages.mid(0, 2));
    find<QLineEdit>("Edit1")->setText(pages[2]);
    QSignalSpy progress(find<QProgressBar>("ProgressBar1"), &QProgressBar::valueChanged);
    auto run_in_window = [&](const char* button) {
        progress.clear();
        find<QToolButton>(button)->click();
        finish_run();
        EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join("|").toStdString();
        EXPECT_EQ(progress.isEmpty() ? -1 : progress.last().at(0).toInt(), 100) << button;
        return files();
    };
    const QByteArrayList built = run_in_window("SpeedButton1");
    EXPECT_NE(built[2].indexOf("sub/b%20c.html#"), -1);
    window.ViewResultFile1Click();
    EXPECT_EQ(shell_.opened, QStringList{"open " + pages[2]});
    const QByteArrayList cleared = run_in_window("SpeedButton2");
    EXPECT_EQ(cleared[2].indexOf("VELT_HTML_TOC"), -1);

    // Saved, the project names its pages relative to its folder; batch mode
    // takes them from there, as the project says.
    save_project_as(path("site.txt"));
    toc_project project;
    ASSERT_EQ(project.load(path("site.txt").toStdString()), 0);
    EXPECT_EQ(project.source[0].text(), "site/a.html");
    resolve_from_project_file(project, path("site.txt").toStdString());
    put(original);
    ASSERT_EQ(build_project(project, nullptr, nullptr), 0) << project.error_message.str();
    EXPECT_EQ(files(), built);
    ASSERT_EQ(clear_project(project, nullptr, nullptr), 0) << project.error_message.str();
    EXPECT_EQ(files(), cleared);
    qunsetenv("SOURCE_DATE_EPOCH");
}

TEST_F(commands, HelpKeyOpensThePageOfTheFocusedControl) {
    shown_window();
    auto help_for = [this](QWidget* focus) {
        if (focus) {
            focus->setFocus();
            QApplication::processEvents();
        }
        shell_.opened.clear();
        press(Qt::Key_F1, Qt::NoModifier);
        return shell_.opened.value(0);
    };
    const QString help = "open " + paths_.help_folder;
    EXPECT_EQ(help_for(find<QLineEdit>("Edit2")), help + "5.html");
    EXPECT_EQ(help_for(find<QRadioButton>("RadioButton1")), help + "4.html");
    find<QTabWidget>("TabControl1")->setCurrentIndex(1);
    EXPECT_EQ(help_for(find<QComboBox>("ComboBox1")), help + "7.html");
    EXPECT_EQ(help_for(find<QTabWidget>("TabControl1")), help + "6.html");
    shell_.succeed = false;
    help_for(nullptr);
    EXPECT_EQ(dialogs_.messages,
              QStringList{"Can't open help file: " + paths_.help_folder + "6.html"});
}

TEST_F(commands, HintsShowInTheStatusLine) {
    TveltORV1& window = shown_window();
    QStatusTipEvent hint(QStringLiteral("Build TOC"));
    QApplication::sendEvent(find<QToolButton>("SpeedButton1"), &hint);
    EXPECT_EQ(status(), "Build TOC");
    QTest::mouseMove(find<QLineEdit>("Edit2"));
    QApplication::processEvents();
    EXPECT_EQ(status(), "The file which header tags will be processed to create a TOC");
    (void)window;
}

}  // namespace
