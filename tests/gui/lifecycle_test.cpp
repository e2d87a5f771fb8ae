// Start-up without a display, the lock held while the window lives, and the
// boxes and commands around the project.
#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "desktop/instance_lock.h"
#include "gui/build_runner.h"
#include "gui_fixture.h"
#include "project/toc_project.h"

namespace {

using lifecycle = window_test;

// A site of pages p0.html .. p<n-1>.html and index.html in folder.
toc_project site_job(const QString& folder, int pages) {
    toc_project job;
    job.is_single = vtval(0);
    job.source.clear();
    for (int i = 0; i < pages; ++i) {
        const QString page = folder + QStringLiteral("/p%1.html").arg(i);
        write_file(page, "<body><h1>Page</h1></body>");
        job.source.push_back(vtval(page.toStdString()));
    }
    job.destination = vtval((folder + "/index.html").toStdString());
    job.template_file = vtval((folder + "/t.tpl").toStdString());
    write_file(folder + "/t.tpl", "<!--#for var=\"item\"-->x<!--#endfor-->");
    return job;
}

// The engine reports from the run's thread, thousands of times; the window
// gets one refresh at a time with the newest figures: pages in order, a bar
// that never goes back, the last phase named, and one end.
TEST(build_runner, ProgressReachesTheWindowInOrderAndOneRefreshAtATime) {
    QTemporaryDir dir;
    const toc_project job = site_job(dir.path(), 300);
    QWidget status_bar;
    auto* bar = new QProgressBar(&status_bar);
    bar->setRange(0, 100);
    QStringList lines;
    QList<int> values;
    build_runner runner(&status_bar, bar, [&](const QString& text) {
        lines << text;
        values << bar->value();
    });
    QSignalSpy ended(&runner, &build_runner::finished);
    ASSERT_TRUE(runner.start(job, false, dir.path().toStdString()));
    EXPECT_FALSE(runner.start(job, false, {}));  // one run at a time
    EXPECT_TRUE(bar->isVisibleTo(&status_bar));
    ASSERT_TRUE(ended.wait(60000));
    EXPECT_EQ(ended.size(), 1);
    EXPECT_EQ(ended.front().at(0).toBool(), true);
    EXPECT_FALSE(runner.running());
    EXPECT_FALSE(bar->isVisibleTo(&status_bar));
    ASSERT_FALSE(lines.isEmpty());
    int page = 0;
    const QRegularExpression line(QStringLiteral("^Page (\\d+) of 301: (p\\d+|index)\\.html$"));
    for (const QString& text : lines) {
        if (text == "Writing the changed files...") {
            page = 1000;
            continue;
        }
        const QRegularExpressionMatch m = line.match(text);
        ASSERT_TRUE(m.hasMatch()) << text.toStdString();
        EXPECT_GE(m.captured(1).toInt(), page);
        EXPECT_LT(page, 1000) << "a page after the last phase";
        page = m.captured(1).toInt();
    }
    for (int i = 1; i < values.size(); ++i) EXPECT_LE(values[i - 1], values[i]);

    // A window that does not take its events meanwhile gets no backlog.
    lines.clear();
    ASSERT_TRUE(runner.start(job, false, {}));
    runner.wait();
    EXPECT_EQ(ended.size(), 2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(lines.isEmpty()) << lines.join("|").toStdString();
}

// Every open window counts: closing the first of two leaves the program
// running for the installer's check.
TEST_F(lifecycle, EveryOpenWindowHoldsTheLock) {
    EXPECT_FALSE(main_window_running());
    auto first = std::make_unique<TveltORV1>(paths_, dialogs_, shell_);
    TveltORV1& second = open_window();
    EXPECT_TRUE(main_window_running());
    first->close();
    first.reset();
    EXPECT_TRUE(main_window_running());
    second.close();
    EXPECT_FALSE(main_window_running());
}

// A fresh window, a page preset from the command line and an opened project
// have nothing unsaved: closing them asks nothing.
TEST_F(lifecycle, NothingToSaveUntilTheUserEdits) {
    write_file(path("p.txt"), "<is_single>0</is_single>\r\n<source>a.html</source>\r\n");
    TveltORV1& window = open_window();
    EXPECT_FALSE(window.unsaved_changes());
    window.preset_single_file(path("page.html"));
    EXPECT_FALSE(window.unsaved_changes());
    dialogs_.files = {{path("p.txt")}};
    window.OpenProject1Click();
    EXPECT_FALSE(window.unsaved_changes());
    find<QComboBox>("ComboBox1")->setCurrentIndex(2);
    EXPECT_TRUE(window.unsaved_changes());
    find<QComboBox>("ComboBox1")->setCurrentIndex(0);
    EXPECT_FALSE(window.unsaved_changes());
    close_window();
    EXPECT_TRUE(dialogs_.save_questions.isEmpty());
}

TEST_F(lifecycle, ExitSequenceRunsOnceAndEntersTheProject) {
    write_file(path("p.txt"), "<is_single>1</is_single>\r\n");
    open_window();
    dialogs_.files = {{path("p.txt")}};
    window_->OpenProject1Click();
    window_->close();  // the frame's close, then the window is destroyed
    window_.reset();
    const QByteArray written = read_file(paths_.user_settings_file());
    EXPECT_EQ(written.count("<recent>"), 1);
    EXPECT_NE(written.indexOf("<recent>" + path("p.txt").toUtf8() + "</recent>"), -1);
}

TEST_F(lifecycle, AboutBoxAndWebSiteItem) {
    TveltORV1& window = open_window();
    find<QAction>("About1")->trigger();
    EXPECT_EQ(dialogs_.modal_titles, QStringList{"About"});
    auto* about = window.findChild<QDialog*>(QStringLiteral("TAboutBox"));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("ProductName"))->text(), "Orvane 1.0b");
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("Version"))->text(), "");
    EXPECT_TRUE(about->findChild<QPushButton*>(QStringLiteral("OKButton"))->isDefault());
    EXPECT_EQ(about->minimumSize(), about->maximumSize());  // fixed size

    shell_.succeed = false;
    find<QAction>("WebSite1")->trigger();
    EXPECT_EQ(shell_.opened, QStringList{"open https://orvane.org/"});
    EXPECT_TRUE(dialogs_.messages.isEmpty());  // a failure is not reported
}

TEST_F(lifecycle, ReinitKeepsTheChosenTemplateWhenItIsStillListed) {
    open_window();
    find<QComboBox>("ComboBox3")->setCurrentIndex(1);  // outline.html
    write_file(paths_.data_folder + "templates.txt",
               "<file>outline.html</file><name>Outline first</name><description>d</description>\r\n"
               "<file>list.html</file><name>List</name><description>d</description>\r\n");
    find<QAction>("ReinitTemplateData1")->trigger();
    EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join("|").toStdString();
    auto* templates = find<QComboBox>("ComboBox3");
    EXPECT_EQ(templates->count(), 3);  // and "Browse..."
    EXPECT_EQ(status(), "Template data is read again: 2 templates");
    EXPECT_EQ(templates->currentText(), "Outline first");
}

}  // namespace
