// Start-up without a display, the lock held while the window lives, and the
// boxes and commands around the project.
#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "desktop/instance_lock.h"
#include "gui/build_runner.h"
#include "gui_fixture.h"

namespace {

using lifecycle = window_test;

// Counts the paints of a widget.
class paint_counter : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
    int paints = 0;
};

// The engine reports often (every read chunk); the bar paints only when its
// percentage grows, never goes back, and shows the last one.
TEST(build_runner, PaintsOnlyWhenThePercentageGrows) {
    QWidget status_bar;
    auto* bar = new QProgressBar(&status_bar);
    bar->setRange(0, 100);
    status_bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&status_bar));
    QStringList statuses;
    build_runner runner(&status_bar, bar, [&](const QString& text) { statuses << text; });
    paint_counter counter;
    bar->installEventFilter(&counter);
    build_runner::report(10, &runner);
    const int one_paint = counter.paints;  // the first percentage is painted at once
    ASSERT_GT(one_paint, 0);
    for (int i = 0; i < 5000; ++i) build_runner::report(i % 11, &runner);  // nothing new
    EXPECT_EQ(counter.paints, one_paint);
    EXPECT_EQ(bar->value(), 10);
    EXPECT_EQ(statuses, QStringList{"10%"});
    build_runner::report(250, &runner);
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(statuses.back(), "100%");
    EXPECT_EQ(counter.paints, 2 * one_paint);  // the last is painted however soon it comes
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
    EXPECT_EQ(templates->count(), 2);
    EXPECT_EQ(templates->currentText(), "Outline first");
}

}  // namespace
