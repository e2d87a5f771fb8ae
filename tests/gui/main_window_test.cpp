// The main window's controls, its two layouts and the copy between the
// controls and the project record.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "files/vtfile.h"
#include "gui_fixture.h"

namespace {

using main_window = window_test;

std::vector<std::string> sources(const toc_project& project) {
    std::vector<std::string> list;
    for (const vtval& value : project.source) list.emplace_back(value.text());
    return list;
}

TEST_F(main_window, StartsAsNewSingleFileProjectWithDocumentedControls) {
    QPixmap icon(16, 16);
    icon.fill(Qt::darkBlue);
    ASSERT_TRUE(icon.save(paths_.icon_file, "PNG"));
    TveltORV1& window = open_window();
    EXPECT_FALSE(window.terminating());
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(caption(), "Orvane 1.0b - New project");
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_EQ(status(), "For context help use F1 key");
    EXPECT_TRUE(find<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_FALSE(find<QToolButton>("SpeedButton3")->isEnabled());
    EXPECT_FALSE(find<QAction>("ViewResultFile1")->isEnabled());
    EXPECT_FALSE(find<QProgressBar>("ProgressBar1")->isVisibleTo(&window));
    EXPECT_EQ(find<QPushButton>("BitBtn1")->text(), "&Add Files");
    EXPECT_EQ(find<QPushButton>("BitBtn3")->text(), "Move &Up");
    EXPECT_EQ(find<QToolButton>("SpeedButton2")->statusTip(),
              "Clear TOC and all HTML code inserted by the program");
    EXPECT_EQ(find<QLineEdit>("Edit3")->statusTip(),
              "Put here attributes' text like name=\"value\"");
    EXPECT_EQ(find<QAction>("ResultFile1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
    EXPECT_EQ(find<QAction>("ViewResultFile1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    auto* templates = find<QComboBox>("ComboBox3");
    ASSERT_EQ(templates->count(), 4);  // the catalogue, then a choice of any file
    EXPECT_EQ(templates->itemText(1), "Outline");
    EXPECT_EQ(templates->itemText(3), "Browse...");
    EXPECT_EQ(find<QComboBox>("ComboBox2")->currentText(), "<H6>");
    auto* tabs = find<QTabWidget>("TabControl1");
    EXPECT_EQ(tabs->tabText(0), "Project Files");
    EXPECT_EQ(tabs->tabText(1), "Format Options");
}

TEST_F(main_window, LayoutFollowsTheProjectKindWithoutChangingChecks) {
    TveltORV1& window = open_window();
    window.show();
    auto* single = find<QRadioButton>("RadioButton1");
    auto* multiple = find<QRadioButton>("RadioButton2");
    auto* overwrite = find<QCheckBox>("CheckBox2");
    auto visible = [&](const char* name) { return find<QWidget>(name)->isVisibleTo(&window); };

    EXPECT_TRUE(visible("GroupBox3"));
    EXPECT_FALSE(visible("GroupBox2"));
    EXPECT_TRUE(visible("BitBtn5"));
    EXPECT_FALSE(visible("BitBtn8"));
    EXPECT_FALSE(find<QCheckBox>("CheckBox3")->isEnabled());
    EXPECT_FALSE(find<QCheckBox>("CheckBox1")->isEnabled());
    EXPECT_FALSE(find<QLineEdit>("Edit1")->isEnabled());  // overwriting: no destination
    overwrite->click();
    EXPECT_TRUE(find<QLineEdit>("Edit1")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("BitBtn5")->isEnabled());

    QTest::mouseClick(multiple, Qt::LeftButton);
    EXPECT_FALSE(visible("GroupBox3"));
    EXPECT_TRUE(visible("GroupBox2"));
    EXPECT_FALSE(visible("CheckBox2"));
    EXPECT_FALSE(visible("BitBtn5"));
    EXPECT_TRUE(visible("BitBtn8"));
    EXPECT_TRUE(find<QCheckBox>("CheckBox3")->isEnabled());
    EXPECT_TRUE(find<QCheckBox>("CheckBox1")->isEnabled());
    EXPECT_TRUE(find<QLineEdit>("Edit1")->isEnabled());
    EXPECT_FALSE(overwrite->isChecked());  // the hidden box keeps its state
    // The destination group sits below the source list.
    EXPECT_GT(find<QWidget>("GroupBox1")->y(), find<QWidget>("GroupBox2")->y());

    QTest::mouseClick(single, Qt::LeftButton);
    EXPECT_TRUE(visible("GroupBox3"));
    EXPECT_TRUE(find<QLineEdit>("Edit1")->isEnabled());
}

TEST_F(main_window, RecordFromControlsSetsEveryKey) {
    TveltORV1& window = open_window();
    find<QRadioButton>("RadioButton2")->click();
    auto* list = find<QListWidget>("ListView1");
    list->addItems({"/site/a.html", "/site/b c.html"});
    find<QCheckBox>("CheckBox2")->setChecked(false);
    find<QLineEdit>("Edit1")->setText("/site/index.html");
    find<QComboBox>("ComboBox1")->setCurrentIndex(1);
    find<QComboBox>("ComboBox2")->setCurrentIndex(3);
    find<QLineEdit>("Edit3")->setText("class=\"toc\"");
    find<QCheckBox>("CheckBox3")->setChecked(true);
    find<QCheckBox>("CheckBox4")->setChecked(false);
    find<QComboBox>("ComboBox3")->setCurrentIndex(1);
    find<QCheckBox>("CheckBox1")->setChecked(true);
    find<QLineEdit>("Edit4")->setText("  ");
    find<QCheckBox>("CheckBox5")->setChecked(true);
    find<QLineEdit>("Edit5")->setText("no-toc");
    const char* numbering_fields[] = {"Edit6", "Edit7", "Edit8", "Edit9", "Edit10", "Edit11"};
    const char* numbering_texts[] = {"#", "2", "x", "0", "front", "num"};
    for (size_t i = 0; i < std::size(numbering_fields); ++i)
        find<QLineEdit>(numbering_fields[i])->setText(numbering_texts[i]);

    // Saving copies the controls into the record.
    dialogs_.files = {{path("p.txt")}};
    window.SaveProject1Click();
    const toc_project& p = window.project();
    EXPECT_FALSE(p.is_single.to_boolean());
    EXPECT_EQ(sources(p), (std::vector<std::string>{"/site/a.html", "/site/b c.html"}));
    EXPECT_FALSE(p.is_dest_as_source.to_boolean());
    EXPECT_EQ(p.destination.text(), "/site/index.html");
    EXPECT_EQ(p.range_from.to_integer(), 2);
    EXPECT_EQ(p.range_to.to_integer(), 4);
    EXPECT_EQ(p.named_anchor_attributes.text(), " class=\"toc\"");  // normalised
    EXPECT_TRUE(p.process_title.to_boolean());
    EXPECT_FALSE(p.process_numbering.to_boolean());
    // Inside the project file's folder paths are written relative to it.
    EXPECT_EQ(p.template_file.text(), "program/vtdata/outline.html");
    EXPECT_TRUE(p.relative_to_project());
    EXPECT_TRUE(p.insert_local_toc.to_boolean());
    EXPECT_EQ(p.indent.text(), "  ");
    EXPECT_EQ(p.anchor_ids.text(), "1");
    EXPECT_EQ(p.skip_class.text(), "no-toc");
    // Numbering texts are kept as typed, a bad one too.
    const vtval* numbering_keys[] = {&p.heading_links,   &p.numbering_from,   &p.numbering_to,
                                     &p.numbering_start, &p.unnumbered_class, &p.number_class};
    for (size_t i = 0; i < std::size(numbering_keys); ++i)
        EXPECT_EQ(numbering_keys[i]->text(), numbering_texts[i]);
    EXPECT_TRUE(p.error_message.empty());

    // Single mode: the field's text is the one source, even when empty; page
    // titles are off for a single file.
    find<QRadioButton>("RadioButton1")->click();
    window.SaveProject1Click();
    EXPECT_EQ(sources(window.project()), std::vector<std::string>{""});
    EXPECT_FALSE(window.project().process_title.to_boolean());
}

TEST_F(main_window, OpenedProjectShowsInEveryControl) {
    write_file(
        path("multi.txt"),
        "<destination>/site/toc.html</destination>\r\n<indent>--</indent>\r\n"
        "<insert_local_toc>1</insert_local_toc>\r\n<is_dest_as_source>0</is_dest_as_source>\r\n"
        "<is_single>0</is_single>\r\n<named_anchor_attributes>x=\"1\"</named_anchor_attributes>\r\n"
        "<process_numbering>0</process_numbering>\r\n<process_title>1</process_title>\r\n"
        "<range_from>2</range_from>\r\n<range_to>5</range_to>\r\n"
        "<source>/site/one.html</source>\r\n<source>/site/two.html</source>\r\n"
        "<template_file>/elsewhere/vtdata/outline.html</template_file>\r\n"
        "<anchor_ids>2</anchor_ids>\r\n<skip_class>aside</skip_class>\r\n"
        "<heading_links>&amp;para;</heading_links>\r\n<numbering_from>2</numbering_from>\r\n"
        "<numbering_to>3</numbering_to>\r\n<numbering_start>7</numbering_start>\r\n"
        "<unnumbered_class>front</unnumbered_class>\r\n<number_class>n</number_class>\r\n");
    TveltORV1& window = open_window();
    find<QCheckBox>("CheckBox5")->setChecked(true);
    dialogs_.files = {{path("multi.txt")}};
    window.OpenProject1Click();
    EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join("|").toStdString();
    EXPECT_TRUE(find<QRadioButton>("RadioButton2")->isChecked());
    auto* list = find<QListWidget>("ListView1");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), "/site/two.html");
    EXPECT_FALSE(find<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_EQ(find<QLineEdit>("Edit1")->text(), "/site/toc.html");
    EXPECT_EQ(find<QComboBox>("ComboBox1")->currentText(), "<H2>");
    EXPECT_EQ(find<QComboBox>("ComboBox2")->currentText(), "<H5>");
    EXPECT_EQ(find<QLineEdit>("Edit3")->text(), " x=\"1\"");
    EXPECT_TRUE(find<QCheckBox>("CheckBox3")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("CheckBox4")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_EQ(find<QLineEdit>("Edit4")->text(), "--");
    EXPECT_FALSE(find<QCheckBox>("CheckBox5")->isChecked());  // only 1 turns ids on
    EXPECT_EQ(find<QLineEdit>("Edit5")->text(), "aside");
    EXPECT_EQ(find<QLineEdit>("Edit6")->text(), "&para;");
    EXPECT_EQ(find<QLineEdit>("Edit7")->text(), "2");
    EXPECT_EQ(find<QLineEdit>("Edit8")->text(), "3");
    EXPECT_EQ(find<QLineEdit>("Edit9")->text(), "7");
    EXPECT_EQ(find<QLineEdit>("Edit10")->text(), "front");
    EXPECT_EQ(find<QLineEdit>("Edit11")->text(), "n");
    // Not the catalogue's file: the project's own template, by name and path.
    EXPECT_EQ(find<QComboBox>("ComboBox3")->currentText(),
              "outline.html - /elsewhere/vtdata/outline.html (missing)");
    EXPECT_EQ(caption(), "Orvane 1.0b - multi.txt");
    EXPECT_EQ(status(), "Project is opened");
}

// Levels out of range (a hand-edited project) show as the nearest level,
// not as an empty list.
TEST_F(main_window, LevelsOutOfRangeShowAsTheNearestLevel) {
    write_file(path("old.txt"),
               "<is_single>1</is_single>\r\n<source>/a.html</source>\r\n"
               "<range_from>0</range_from>\r\n<range_to>9</range_to>\r\n");
    TveltORV1& window = open_window();
    dialogs_.files = {{path("old.txt")}};
    window.OpenProject1Click();
    EXPECT_EQ(find<QComboBox>("ComboBox1")->currentText(), "<H1>");
    EXPECT_EQ(find<QComboBox>("ComboBox2")->currentText(), "<H6>");
}

TEST_F(main_window, PresetOpensSingleFileThatOverwritesItsSource) {
    TveltORV1& window = open_window();
    find<QCheckBox>("CheckBox2")->setChecked(false);
    window.preset_single_file(QString());  // nothing preset
    EXPECT_FALSE(find<QCheckBox>("CheckBox2")->isChecked());
    window.preset_single_file(QStringLiteral("/home/Ann/Page One.html"));
    EXPECT_TRUE(find<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_EQ(find<QLineEdit>("Edit2")->text(), "/home/Ann/Page One.html");
    EXPECT_EQ(caption(), "Orvane 1.0b - New project");
    EXPECT_TRUE(window.project_path().isEmpty());
    // A page named relative to the folder the program was started in is
    // that page, wherever the project is saved later.
    // The program changes its folder only through the file layer, which
    // keeps the current folder.
    const QString started_in = QDir::currentPath();
    ASSERT_TRUE(vtfile_set_current_folder(root_.path().toStdString()));
    window.preset_single_file(QStringLiteral("page.html"));
    vtfile_set_current_folder(started_in.toStdString());
    EXPECT_EQ(find<QLineEdit>("Edit2")->text(), QDir(root_.path()).absoluteFilePath("page.html"));
}

TEST_F(main_window, UnreadableCatalogueStopsTheStartAndWritesNoSettings) {
    QFile::remove(paths_.data_folder + "templates.txt");
    TveltORV1& window = open_window();
    EXPECT_TRUE(window.terminating());
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_EQ(dialogs_.messages[0],
              "Error occurred when parsing templates.txt file:\r\nCan't open file " +
                  paths_.data_folder + "templates.txt\r\n\r\nApplication is terminating.");
    close_window();
    EXPECT_FALSE(QFile::exists(paths_.user_settings_file()));
}

TEST_F(main_window, TemplateCommandsOpenTheFileAndShowTheDescription) {
    open_window();
    find<QPushButton>("BitBtn7")->click();
    EXPECT_EQ(shell_.opened, QStringList{"edit " + paths_.data_folder + "list.html"});
    shell_.succeed = false;
    find<QComboBox>("ComboBox3")->setCurrentIndex(1);
    find<QPushButton>("BitBtn7")->click();
    EXPECT_EQ(dialogs_.messages,
              QStringList{"Can't open template file: " + paths_.data_folder + "outline.html"});

    find<QComboBox>("ComboBox3")->setCurrentIndex(0);
    QTest::mouseClick(find<QWidget>("Label3"), Qt::LeftButton);
    find<QComboBox>("ComboBox3")->setCurrentIndex(1);
    QTest::mouseClick(find<QWidget>("Label3"), Qt::LeftButton);
    EXPECT_EQ(dialogs_.modal_titles, (QStringList{"Plain list", "Outline"}));
    // Line ends become CR LF; "&" stays a plain character.
    EXPECT_EQ(dialogs_.modal_texts,
              (QStringList{"Links one per line.\r\nSafe & simple.", "Numbered outline."}));
}

TEST_F(main_window, ChoosersFillTheFieldsFromTheirReferenceFolders) {
    open_window();
    dialogs_.files = {{"/w/src/page.html"}, {"/w/out/result.html"}, {}, {"/w/site/toc.html"}};
    find<QPushButton>("BitBtn6")->click();
    EXPECT_EQ(find<QLineEdit>("Edit2")->text(), "/w/src/page.html");
    find<QCheckBox>("CheckBox2")->click();
    find<QPushButton>("BitBtn5")->click();  // no destination yet: the source's folder
    EXPECT_EQ(find<QLineEdit>("Edit1")->text(), "/w/out/result.html");
    find<QPushButton>("BitBtn5")->click();  // cancelled: the field stays
    EXPECT_EQ(find<QLineEdit>("Edit1")->text(), "/w/out/result.html");
    find<QRadioButton>("RadioButton2")->click();
    find<QLineEdit>("Edit1")->clear();
    find<QListWidget>("ListView1")->addItem("/w/site/a.html");
    find<QPushButton>("BitBtn8")->click();  // no destination: the first row's folder
    EXPECT_EQ(find<QLineEdit>("Edit1")->text(), "/w/site/toc.html");

    ASSERT_EQ(dialogs_.requests.size(), 4u);
    const file_request& source = dialogs_.requests[0];
    EXPECT_EQ(source.title, "Open source file for building ToC");
    EXPECT_TRUE(source.must_exist);
    EXPECT_EQ(source.default_suffix, "");
    const file_request& save = dialogs_.requests[1];
    EXPECT_EQ(save.title, "Save file with inserted ToC as");
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.directory, "/w/src");
    EXPECT_EQ(save.default_suffix, ".html");
    EXPECT_EQ(dialogs_.requests[2].directory, "/w/out");
    const file_request& destination = dialogs_.requests[3];
    EXPECT_EQ(destination.title, "Open or create file that will hold ToC");
    EXPECT_FALSE(destination.must_exist);
    EXPECT_FALSE(destination.save);
    EXPECT_EQ(destination.directory, "/w/site");
}

TEST_F(main_window, DescriptionBoxWrapsWithinItsFixedSize) {
    TveltORV1& window = open_window();
    auto* box = window.findChild<QDialog*>(QStringLiteral("TDescriptionBox"));
    ASSERT_NE(box, nullptr);
    const QSize before = box->size();
    QTest::mouseClick(find<QWidget>("Label3"), Qt::LeftButton);
    auto* text = box->findChild<QLabel*>(QStringLiteral("Comments"));
    text->setText(QString(5000, u'x').replace(QStringLiteral("xxxxx"), QStringLiteral("word ")));
    box->show();
    EXPECT_EQ(box->size(), before);
    EXPECT_TRUE(text->wordWrap());
    EXPECT_EQ(text->textFormat(), Qt::PlainText);
    box->hide();
}

}  // namespace
