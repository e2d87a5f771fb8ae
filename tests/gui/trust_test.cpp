// What a user trusts the window with: the project's own template, the same
// bytes as batch mode, runs that can be stopped without harm, projects that
// move with their pages, a list without doubles, and an open that fails
// without losing the project.
#include <dirent.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <map>

#include "gui_fixture.h"
#include "project/project_paths.h"
#include "project/toc_project.h"

namespace fs = std::filesystem;

namespace {

using trust = window_test;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file below root with its bytes (temporary files included).
std::map<std::string, std::string> files_below(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = slurp(e.path());
    return files;
}

const char* const k_own_template =
    "<ol class=\"mine\"><!--#for var=\"item\"--><li><!--#echo var=\"text\"--></li>"
    "<!--#endfor--></ol>";

// A template the catalogue does not hold is shown by name and path, used by
// the build as batch mode uses it (or reported missing in its words) and
// saved as it stands; a catalogue template is shown by its name.
TEST_F(trust, ProjectsOwnTemplateIsShownUsedAndSavedAsItIs) {
    write_file(path("site/page.html"), "<body><!-- toc --><h1>One</h1></body>");
    write_file(path("site/mine.tpl"), k_own_template);
    const struct {
        QString stored;
        QString shown;
    } cases[] = {
        {"", "Plain list"},
        {paths_.data_folder + "outline.html", "Outline"},
        {paths_.data_folder + "list.html", "Plain list"},  // the first of two equal files
        {"mine.tpl", "mine.tpl - " + path("site/mine.tpl")},
        {"/x/vtdata/outline.html", "outline.html - /x/vtdata/outline.html (missing)"},
    };
    TveltORV1& window = open_window();
    auto* templates = find<QComboBox>("ComboBox3");
    for (const auto& c : cases) {
        write_file(path("site/p.txt"), "<source>page.html</source>\r\n<template_file>" +
                                           c.stored.toUtf8() + "</template_file>\r\n");
        dialogs_.files = {{path("site/p.txt")}};
        window.OpenProject1Click();
        EXPECT_EQ(templates->currentText(), c.shown) << c.stored.toStdString();
        window.SaveProject1Click();
        toc_project saved;
        ASSERT_EQ(saved.load(path("site/p.txt").toStdString()), 0);
        const std::string written =
            resolved_path(saved.template_file.text(), path("site").toStdString());
        if (c.stored.startsWith(u'/')) {
            EXPECT_EQ(written, c.stored.toStdString());
        } else if (!c.stored.isEmpty()) {
            EXPECT_EQ(saved.template_file.text(), c.stored.toStdString());
        }
    }

    // The missing template fails the build as in batch mode, the page as it was.
    build();
    EXPECT_EQ(dialogs_.messages, QStringList{"Can't open template file: /x/vtdata/outline.html"});
    EXPECT_EQ(read_file(path("site/page.html")), "<body><!-- toc --><h1>One</h1></body>");

    // "Browse..." takes any file; cancelled, the choice stays as it was.
    dialogs_.files = {{}, {path("site/mine.tpl")}};
    templates->setCurrentIndex(templates->count() - 1);
    emit templates->activated(templates->count() - 1);
    EXPECT_EQ(templates->currentText(), "outline.html - /x/vtdata/outline.html (missing)");
    templates->setCurrentIndex(templates->count() - 1);
    emit templates->activated(templates->count() - 1);
    EXPECT_EQ(templates->currentText(), "mine.tpl - " + path("site/mine.tpl"));
    EXPECT_EQ(dialogs_.requests.back().title, "Choose a TOC template");
    build();
    EXPECT_NE(read_file(path("site/page.html")).indexOf("<ol class=\"mine\"><li>One</li></ol>"),
              -1);
}

// Window and batch mode build every golden project to the same bytes, custom
// templates included, and fail with the same message (paths spelt from the
// project's folder).
TEST_F(trust, WindowAndBatchModeGiveTheSameBytesOnEveryGoldenProject) {
    qputenv("SOURCE_DATE_EPOCH", "1000000000");
    const fs::path golden = fs::path(ORVANE_TEST_DATA) / "golden";
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(golden)) {
        const fs::path dir = entry.path();
        std::ifstream args(dir / "args");
        std::string run, project;
        std::getline(args, run);
        std::getline(args, project);
        if (project != "project.txt" || (run != "-command" && run != "-clear")) continue;
        const std::string name = dir.filename().string();
        const fs::path work = fs::path(path(QString::fromStdString(name)).toStdString());
        fs::copy(dir / "input", work, fs::copy_options::recursive);
        dialogs_.messages.clear();
        TveltORV1& window = open_window();
        dialogs_.files = {{QString::fromStdString((work / project).string())}};
        window.OpenProject1Click();
        if (dialogs_.messages.isEmpty()) run == "-clear" ? clear() : build();
        const std::string report = slurp(dir / "report");
        const size_t error = report.find("Error occurred: ");
        const std::string folder = work.string() + "/";
        if (error == std::string::npos) {
            EXPECT_TRUE(dialogs_.messages.isEmpty()) << name;
        } else {
            ASSERT_EQ(dialogs_.messages.size(), 1) << name;
            std::string message = dialogs_.messages[0].toStdString();
            for (size_t at; (at = message.find(folder)) != std::string::npos;)
                message.erase(at, folder.size());
            EXPECT_TRUE(message.ends_with(report.substr(error + 16))) << name << ": " << message;
        }
        EXPECT_EQ(files_below(work), files_below(dir / "expected")) << name;
        ++compared;
    }
    EXPECT_GE(compared, 13);
    qunsetenv("SOURCE_DATE_EPOCH");
}

// A build runs off the window's thread: the window answers while it runs,
// the commands that would conflict wait, Escape or Cancel stops it, and a
// stopped run changes no file and leaves no temporary file. Clearing asks
// first; closing during a run asks whether to stop it.
TEST_F(trust, LongBuildCanBeCancelledAndChangesNothing) {
    QStringList pages;
    for (int i = 0; i < 2000; ++i) {
        pages << path(QStringLiteral("site/p%1.html").arg(i));
        write_file(pages.back(), "<body><h1>Page</h1><h2>Part</h2></body>");
    }
    write_file(path("site/index.html"), "<body><!-- toc --></body>");
    const auto before = files_below(path("site").toStdString());
    TveltORV1& window = open_window();
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    find<QRadioButton>("RadioButton2")->click();
    find<QListWidget>("ListView1")->addItems(pages);
    find<QLineEdit>("Edit1")->setText(path("site/index.html"));

    int ticks = 0;  // the window's own timer keeps firing during the run
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(1);
    find<QToolButton>("SpeedButton1")->click();
    ASSERT_TRUE(window.running());
    for (const char* name : {"NewProject1", "OpenProject1", "ResultFile1", "ClearTOC1",
                             "ViewResultFile1", "ReinitTemplateData1"})
        EXPECT_FALSE(find<QAction>(name)->isEnabled()) << name;
    EXPECT_FALSE(find<QWidget>("ProjectFilesPage")->isEnabled());
    EXPECT_TRUE(find<QAction>("SaveProject1")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("CancelButton")->isVisible());
    while (window.running() && ticks < 5) QApplication::processEvents();
    QTest::keyClick(&window, Qt::Key_Escape);
    finish_run();
    EXPECT_GE(ticks, 5);
    EXPECT_EQ(status(), "Build cancelled.");
    EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join("|").toStdString();
    EXPECT_EQ(files_below(path("site").toStdString()), before);
    EXPECT_FALSE(find<QPushButton>("CancelButton")->isVisible());
    EXPECT_TRUE(find<QWidget>("ProjectFilesPage")->isEnabled());
    EXPECT_FALSE(find<QAction>("ViewResultFile1")->isEnabled());

    dialogs_.answer_yes = false;
    find<QToolButton>("SpeedButton2")->click();  // clearing asks first: No
    EXPECT_FALSE(window.running());
    EXPECT_EQ(dialogs_.questions.size(), 1);

    // Closing during a run asks: No keeps the run and the window, Yes stops
    // the run (nothing changed) and closes.
    find<QToolButton>("SpeedButton1")->click();
    window.close();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(dialogs_.questions.value(1),
              "The TOC is being built. Cancel the build and close the window? No file will be "
              "changed.");
    dialogs_.answer_yes = true;
    dialogs_.save_reply = dialogs::save_answer::discard;
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.running());
    EXPECT_EQ(files_below(path("site").toStdString()), before);
}

// A shipped template that may not be changed is copied to the user's
// template folder, which the catalogue then uses; the copy opens in a text
// editor, not in a browser.
TEST_F(trust, EditTemplateOpensAnEditableCopyInATextEditor) {
    const QString shipped = paths_.data_folder + "outline.html";
    const QByteArray bytes = read_file(shipped);
    ASSERT_EQ(chmod(shipped.toUtf8().constData(), 0444), 0);
    TveltORV1& window = open_window();
    find<QComboBox>("ComboBox3")->setCurrentIndex(1);
    find<QPushButton>("BitBtn7")->click();
    const QString copy = paths_.user_templates + "outline.html";
    EXPECT_EQ(shell_.opened, QStringList{"edit " + copy});
    EXPECT_EQ(read_file(copy), bytes);
    EXPECT_EQ(status(), "The template is a shipped one: you edit your own copy, " + copy);
    EXPECT_EQ(find<QComboBox>("ComboBox3")->currentText(), "Outline");
    window.SaveProjectAs1Click();  // no file chosen: the record is read all the same
    EXPECT_EQ(window.project().template_file.text(), copy.toStdString());
    // The copy is the user's: edited in place from now on.
    find<QPushButton>("BitBtn7")->click();
    EXPECT_EQ(shell_.opened.value(1), "edit " + copy);
    // A writable template of the program's own folder is edited in place.
    find<QComboBox>("ComboBox3")->setCurrentIndex(0);
    find<QPushButton>("BitBtn7")->click();
    EXPECT_EQ(shell_.opened.value(2), "edit " + paths_.data_folder + "list.html");
}

// Saved, a project names what lies in its folder relative to it and says so
// (relative_to = project): moved with its pages, it builds in the window and
// in batch mode; saved elsewhere, its paths still name the same files.
TEST_F(trust, SavedProjectMovesWithItsPages) {
    write_file(path("site/a.html"), "<body><!-- toc --><h1>A</h1></body>");
    write_file(path("site/own.tpl"), k_own_template);
    TveltORV1& window = open_window();
    find<QRadioButton>("RadioButton2")->click();
    find<QListWidget>("ListView1")->addItem(path("site/a.html"));
    find<QLineEdit>("Edit1")->setText(path("site/index.html"));
    dialogs_.files = {{path("site/own.tpl")}, {path("site/p.txt")}};
    auto* templates = find<QComboBox>("ComboBox3");
    emit templates->activated(templates->count() - 1);
    window.SaveProjectAs1Click();
    const QByteArray saved = read_file(path("site/p.txt"));
    for (const char* line :
         {"<source>a.html</source>", "<destination>index.html</destination>",
          "<template_file>own.tpl</template_file>", "<relative_to>project</relative_to>"})
        EXPECT_TRUE(saved.contains(line)) << line;
    EXPECT_EQ(find<QListWidget>("ListView1")->item(0)->text(), "a.html");  // as saved
    close_window();

    ASSERT_TRUE(QDir().rename(path("site"), path("moved")));
    toc_project moved;
    ASSERT_EQ(moved.load(path("moved/p.txt").toStdString()), 0);
    resolve_from_project_file(moved, path("moved/p.txt").toStdString());
    EXPECT_EQ(moved.source[0].text(), path("moved/a.html").toStdString());

    TveltORV1& again = open_window();
    dialogs_.files = {{path("moved/p.txt")}, {path("elsewhere/q.txt")}};
    again.OpenProject1Click();
    build();
    EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join("|").toStdString();
    EXPECT_NE(read_file(path("moved/index.html")).indexOf("<ol class=\"mine\">"), -1);
    QDir().mkpath(path("elsewhere"));
    again.SaveProjectAs1Click();
    const QByteArray elsewhere = read_file(path("elsewhere/q.txt"));
    EXPECT_TRUE(elsewhere.contains("<source>" + path("moved/a.html").toUtf8() + "</source>"));
}

// An open that fails keeps the project that was open, and says which file
// and why.
TEST_F(trust, FailedOpenKeepsTheOpenProject) {
    write_file(path("good.txt"), "<is_single>0</is_single>\r\n<source>/s/a.html</source>\r\n");
    write_file(path("bad.txt"), "<is_single>0</is_single>\r\n<source>/s/b.html");
    TveltORV1& window = open_window();
    dialogs_.files = {{path("good.txt")}, {path("bad.txt")}, {path("gone.txt")}};
    window.OpenProject1Click();
    window.OpenProject1Click();
    window.OpenProject1Click();
    ASSERT_EQ(dialogs_.messages.size(), 2);
    EXPECT_TRUE(dialogs_.messages[0].startsWith("Can't read project file: " + path("bad.txt") +
                                                "\r\nLine: 2, column: "));
    EXPECT_EQ(dialogs_.messages[1], "Can't read project file: " + path("gone.txt") +
                                        "\r\nCan't open file " + path("gone.txt"));
    EXPECT_EQ(window.project_path(), path("good.txt"));
    EXPECT_EQ(find<QListWidget>("ListView1")->item(0)->text(), "/s/a.html");
    EXPECT_EQ(window.recent(), QStringList());  // nothing was replaced
}

}  // namespace
