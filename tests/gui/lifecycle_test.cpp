// Start-up without a display, the lock held while the window lives, and the
// boxes and commands around the project.
#include <QAction>
#include <QComboBox>
#include <QLockFile>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include "desktop/instance_lock.h"
#include "gui/build_runner.h"
#include "gui_fixture.h"

namespace {

using lifecycle = window_test;

TEST(build_runner, ProgressIsClampedAndShownAsPercent) {
    QWidget window;
    auto* bar = new QProgressBar(&window);
    bar->setRange(0, 100);
    QString status;
    build_runner runner(&window, bar, [&status](const QString& text) { status = text; });
    build_runner::report(40, &runner);
    EXPECT_EQ(bar->value(), 40);
    EXPECT_EQ(status, "40%");
    build_runner::report(250, &runner);
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(status, "100%");
}

TEST_F(lifecycle, LockIsHeldWhileTheWindowLives) {
    open_window();
    QLockFile other(main_window_lock_path());
    EXPECT_FALSE(other.tryLock(0));
    close_window();
    EXPECT_TRUE(other.tryLock(0));
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
