// What the window keeps between runs.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>

#include "gui/user_settings.h"
#include "gui_fixture.h"
#include "project/toc_project.h"

namespace {

using settings = window_test;

TEST_F(settings, RecentListAndFolderSurviveARestart) {
    // 25 recent projects; the even ones do not exist (any more).
    QByteArray recent;
    for (int i = 1; i <= 25; ++i) {
        const QString project = path(QStringLiteral("p%1.txt").arg(i));
        if (i % 2 == 1) write_file(project, "<is_single>1</is_single>\r\n");
        recent += "<recent>" + project.toUtf8() + "</recent>\r\n";
    }
    write_file(paths_.user_settings_file(),
               recent + "<last_opened_dir>/home/ann/site</last_opened_dir>\r\n");
    TveltORV1& window = open_window();
    int shown = 0;
    for (QAction* item : find<QMenu>("RecentProjects1")->actions()) shown += item->isVisible();
    EXPECT_EQ(shown, 10);
    EXPECT_EQ(window.recent().size(), 13);  // the projects that are gone have left
    EXPECT_EQ(window.recent().value(1), path("p3.txt"));
    close_window();
    const QByteArray written = read_file(paths_.user_settings_file());
    EXPECT_EQ(written.count("<recent>"), 13);  // not cut until a path is entered
    EXPECT_TRUE(written.startsWith("<colour_scheme>0</colour_scheme>\r\n<form_height>"));
    EXPECT_NE(written.indexOf("<last_opened_dir>/home/ann/site</last_opened_dir>\r\n"), -1);
    EXPECT_NE(written.indexOf("<save_format_on_exit>0</save_format_on_exit>\r\n"), -1);

    open_window();
    dialogs_.files = {{}};
    window_->OpenProject1Click();  // enters nothing: the project is new
    EXPECT_EQ(dialogs_.requests.back().directory, "/home/ann/site");
    EXPECT_TRUE(dialogs_.messages.isEmpty());
}

TEST_F(settings, GeometryIsRestoredOnlyWhenWidthAndHeightWereSaved) {
    write_file(paths_.user_settings_file(),
               "<top_left>-3000</top_left>\r\n<top_top>40</top_top>\r\n"
               "<form_width>0</form_width>\r\n<form_height>500</form_height>\r\n");
    TveltORV1& window = open_window();
    EXPECT_GE(window.height(), 420);  // the default: both pages whole
    EXPECT_NE(window.x(), -3000);
    close_window();

    write_file(paths_.user_settings_file(),
               "<top_left>-3000</top_left>\r\n<top_top>40</top_top>\r\n"
               "<form_width>700</form_width>\r\n<form_height>500</form_height>\r\n");
    TveltORV1& second = open_window();
    EXPECT_EQ(second.pos(), QPoint(-3000, 40));  // kept even off the screen
    EXPECT_EQ(second.size(), QSize(700, 500));
    second.resize(710, 480);
    close_window();
    const QByteArray written = read_file(paths_.user_settings_file());
    EXPECT_NE(written.indexOf("<form_width>710</form_width>"), -1);

    // A size saved on a larger screen (or at a smaller scale factor) is cut
    // to what this screen has room for.
    write_file(paths_.user_settings_file(),
               "<top_left>10</top_left>\r\n<top_top>10</top_top>\r\n"
               "<form_width>5000</form_width>\r\n<form_height>4000</form_height>\r\n");
    TveltORV1& third = open_window();
    const QSize room = third.screen()->availableGeometry().size();
    EXPECT_LE(third.width(), room.width());
    EXPECT_LE(third.height(), room.height());
    EXPECT_NE(written.indexOf("<form_height>480</form_height>"), -1);
    EXPECT_NE(written.indexOf("<top_left>-3000</top_left>"), -1);
}

TEST_F(settings, FormatOptionsComeBackWhileRemembered) {
    write_file(paths_.user_settings_file(), "<save_format_on_exit>2</save_format_on_exit>\r\n");
    TveltORV1& window = open_window();
    EXPECT_TRUE(find<QAction>("RememberFormatOptionsonExit1")->isChecked());  // "2" counts
    find<QRadioButton>("RadioButton2")->click();
    find<QListWidget>("ListView1")->addItem("/site/a.html");
    find<QLineEdit>("Edit1")->setText("/site/toc.html");
    find<QComboBox>("ComboBox1")->setCurrentIndex(2);
    find<QLineEdit>("Edit3")->setText("class=\"x\"");
    find<QCheckBox>("CheckBox4")->setChecked(false);
    find<QCheckBox>("CheckBox1")->setChecked(true);
    find<QComboBox>("ComboBox3")->setCurrentIndex(1);
    find<QLineEdit>("Edit4")->setText("..");
    find<QCheckBox>("CheckBox5")->setChecked(true);
    find<QLineEdit>("Edit5")->setText("no-toc");
    (void)window;
    close_window();
    ASSERT_TRUE(QFile::exists(paths_.format_options_file()));

    open_window();
    EXPECT_EQ(find<QComboBox>("ComboBox1")->currentIndex(), 2);
    EXPECT_EQ(find<QLineEdit>("Edit3")->text(), " class=\"x\"");
    EXPECT_FALSE(find<QCheckBox>("CheckBox4")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_EQ(find<QComboBox>("ComboBox3")->currentIndex(), 1);
    EXPECT_EQ(find<QLineEdit>("Edit4")->text(), "..");
    EXPECT_TRUE(find<QCheckBox>("CheckBox5")->isChecked());
    EXPECT_EQ(find<QLineEdit>("Edit5")->text(), "no-toc");
    // The project itself starts from the defaults.
    EXPECT_TRUE(find<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_EQ(find<QLineEdit>("Edit1")->text(), "");
    EXPECT_EQ(find<QListWidget>("ListView1")->count(), 0);

    // Unchecked: nothing is written at exit and the next start ignores the file.
    find<QAction>("RememberFormatOptionsonExit1")->trigger();
    find<QLineEdit>("Edit4")->setText("changed");
    const QByteArray stored = read_file(paths_.format_options_file());
    close_window();
    EXPECT_EQ(read_file(paths_.format_options_file()), stored);
    open_window();
    EXPECT_FALSE(find<QAction>("RememberFormatOptionsonExit1")->isChecked());
    EXPECT_EQ(find<QLineEdit>("Edit4")->text(), "");
}

// The first start copies the shipped settings into the user's folder; the
// program's own folder (read-only /usr/share/orvane/ for the package) is
// never written.
TEST_F(settings, FirstStartCopiesTheShippedSettings) {
    const QByteArray shipped = "<save_format_on_exit>1</save_format_on_exit>\r\n";
    write_file(paths_.distribution_settings, shipped);
    const QStringList program_files = QDir(paths_.program_folder).entryList(QDir::Files);
    open_window();
    EXPECT_TRUE(find<QAction>("RememberFormatOptionsonExit1")->isChecked());
    EXPECT_TRUE(dialogs_.messages.isEmpty());
    EXPECT_EQ(read_file(paths_.user_settings_file()), shipped);
    close_window();
    EXPECT_EQ(read_file(paths_.distribution_settings), shipped);
    EXPECT_EQ(QDir(paths_.program_folder).entryList(QDir::Files), program_files);
    EXPECT_TRUE(QFile::exists(paths_.format_options_file()));
}

TEST_F(settings, UnreadableAndUnwritableSettingsAreReported) {
    QFile::remove(paths_.distribution_settings);
    TveltORV1& window = open_window();
    EXPECT_EQ(dialogs_.messages, QStringList{"Can't read settings file"});
    EXPECT_GE(window.height(), 420);  // the default: both pages whole
    close_window();

    // A plain file where the settings folder should be: nothing can be written.
    dialogs_.messages.clear();
    write_file(path("blocked"), "x");
    paths_.user_folder = path("blocked/ORV1/");
    open_window();
    close_window();
    EXPECT_EQ(dialogs_.messages,
              (QStringList{"Can't read settings file", "Can't write settings file"}));
}

TEST(user_settings_file, MissingKeysReadAsDefaultsAndNumbersAsLeadingDigits) {
    QTemporaryDir dir;
    const QString file = dir.filePath("vorn_set.txt");
    write_file(file,
               "<form_width> 640px</form_width>\r\n<recent>/a</recent>\r\n<recent>/a</recent>\r\n");
    user_settings stored;
    stored.remember_format = true;
    vtstring error;
    ASSERT_TRUE(stored.read(file.toStdString(), error));
    EXPECT_FALSE(stored.remember_format);
    EXPECT_EQ(stored.geometry.width, 640);
    EXPECT_EQ(stored.geometry.height, 0);
    EXPECT_FALSE(stored.geometry.present());
    EXPECT_EQ(stored.recent, (std::vector<std::string>{"/a", "/a"}));  // duplicates kept
    EXPECT_EQ(stored.last_directory, "");
    EXPECT_FALSE(stored.read(dir.filePath("none.txt").toStdString(), error));
    EXPECT_EQ(stored.geometry.width, 640);  // a failed read changes nothing

    toc_project project;
    project.indent = vtval("keep");
    EXPECT_FALSE(read_format_options(dir.filePath("none.txt").toStdString(), project));
    EXPECT_EQ(project.indent.text(), "keep");
}

}  // namespace
