// What desktop users take for granted: adding a folder, dropping files,
// the usual keys and marks, labels and names for every field, a tab order
// that follows the layout, dark colours, and a window that fits the screen.
#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QUrl>
#include <set>

#include "gui/colour_scheme.h"
#include "gui/folder_pages.h"
#include "gui_fixture.h"

namespace {

using manners = window_test;

QStringList rows(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
    return texts;
}

TEST(folder_pages, PathsInTheOrderPeopleReadThem) {
    const std::pair<const char*, const char*> ordered[] = {
        {"2.html", "10.html"},  {"a2.html", "a10.html"},         {"a.html", "B.html"},
        {"b/a.html", "b.html"}, {"ch 9/x.html", "ch 10/a.html"}, {"007.html", "8.html"},
        {"x/1.html", "x.html"}, {"1.5.html", "1.10.html"},
    };
    for (const auto& [first, second] : ordered) {
        EXPECT_TRUE(natural_less(first, second)) << first << " < " << second;
        EXPECT_FALSE(natural_less(second, first)) << second << " !< " << first;
    }
    EXPECT_FALSE(natural_less("a.html", "a.html"));
}

// Every .html/.htm page under the folder, hidden files and folders skipped,
// in reading order; pages listed already stay where they are.
TEST_F(manners, AddFolderAddsItsPagesInReadingOrder) {
    for (const char* name : {"10.html", "2.html", "sub/1.htm", "sub/deeper/Z.HTML", ".hidden.html",
                             ".git/x.html", "notes.txt", "B.html"})
        write_file(path(QStringLiteral("site/") + name), "<h1>x</h1>");
    TveltORV1& window = open_window();
    find<QRadioButton>("RadioButton2")->click();
    auto* list = find<QListWidget>("ListView1");
    list->addItem(path("site/B.html"));
    dialogs_.folders = {path("site")};
    find<QPushButton>("BitBtn9")->click();
    EXPECT_EQ(rows(list),
              (QStringList{path("site/B.html"), path("site/2.html"), path("site/10.html"),
                           path("site/sub/1.htm"), path("site/sub/deeper/Z.HTML")}));
    EXPECT_EQ(status(), "Already in the list, not added again: " + path("site/B.html"));
    EXPECT_EQ(dialogs_.folder_starts.value(0), path("site"));  // from the last row
    (void)window;
}

// A folder of ".html" pages can go in as one pattern line, which the list
// shows with its page count; answered No, its pages go in one by one.
TEST_F(manners, AddFolderOffersOnePatternForItsPages) {
    for (const char* name : {"b/2.html", "b/10.html", "b/sub/1.html"})
        write_file(path(QStringLiteral("site/") + name), "<h1>x</h1>");
    open_window();
    find<QRadioButton>("RadioButton2")->click();
    auto* list = find<QListWidget>("ListView1");
    const QString pattern = path("site/b") + "/**/*.html";
    dialogs_.folders = {path("site/b"), path("site/b")};
    dialogs_.answer_yes = false;
    find<QPushButton>("BitBtn9")->click();
    EXPECT_EQ(rows(list), (QStringList{path("site/b/2.html"), path("site/b/10.html"),
                                       path("site/b/sub/1.html")}));
    list->clear();
    dialogs_.answer_yes = true;
    find<QPushButton>("BitBtn9")->click();
    ASSERT_EQ(dialogs_.questions.size(), 2);
    EXPECT_TRUE(dialogs_.questions[1].contains(pattern)) << dialogs_.questions[1].toStdString();
    EXPECT_EQ(rows(list), QStringList{pattern + "   (3 pages)"});
}

// Files dropped on the window: one page in single mode becomes the source;
// several, or a folder, make a multiple-file project of them.
TEST_F(manners, DroppedPagesAndFoldersJoinTheProject) {
    write_file(path("site/a.html"), "x");
    write_file(path("site/more/b.html"), "x");
    write_file(path("site/more/c.html"), "x");
    TveltORV1& window = open_window();
    window.show();
    auto drop = [&](const QStringList& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files) urls << QUrl::fromLocalFile(file);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
    };
    drop({path("site/a.html")});
    EXPECT_TRUE(find<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_EQ(find<QLineEdit>("Edit2")->text(), path("site/a.html"));
    drop({path("site/a.html"), path("site/more")});
    EXPECT_TRUE(find<QRadioButton>("RadioButton2")->isChecked());
    EXPECT_TRUE(find<QWidget>("GroupBox2")->isVisible());
    EXPECT_EQ(
        rows(find<QListWidget>("ListView1")),
        (QStringList{path("site/a.html"), path("site/more/b.html"), path("site/more/c.html")}));
    drop({path("site/more/c.html")});
    EXPECT_EQ(find<QListWidget>("ListView1")->count(), 3);
}

// A modified mark in the title, Ctrl+Q, Ctrl+Shift+S and F1 shown in the
// menus, the web site an entry of the Help menu.
TEST_F(manners, StandardKeysAndTheModifiedMark) {
    TveltORV1& window = open_window();
    EXPECT_TRUE(window.windowTitle().endsWith("[*]"));
    EXPECT_FALSE(window.isWindowModified());
    find<QLineEdit>("Edit4")->setText("x");
    EXPECT_TRUE(window.isWindowModified());
    find<QLineEdit>("Edit4")->clear();
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_EQ(find<QAction>("Exit1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(find<QAction>("SaveProjectAs1")->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    const QList<QAction*> help = find<QMenu>("Help1")->actions();
    EXPECT_TRUE(help.contains(find<QAction>("ContextHelp1")));
    EXPECT_EQ(find<QAction>("ContextHelp1")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_TRUE(help.contains(find<QAction>("WebSite1")));
    for (QAction* item : window.menuBar()->actions())
        EXPECT_NE(item->menu(), nullptr) << item->text().toStdString();  // menus only
}

// Every field has a label with a mnemonic (or, for a button, its own), and
// an accessible name; a page's keys differ from each other and from the
// menu bar's; the Tab key follows the layout.
TEST_F(manners, EveryFieldIsLabelledNamedAndReachedInLayoutOrder) {
    TveltORV1& window = open_window();
    window.show();
    auto mnemonic = [](const QString& text) {
        const qsizetype at = text.indexOf(u'&');
        return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
    };
    std::set<QChar> menu_keys;
    for (QAction* item : window.menuBar()->actions()) menu_keys.insert(mnemonic(item->text()));
    auto* tabs = find<QTabWidget>("TabControl1");
    for (const char* kind : {"RadioButton1", "RadioButton2"}) {
        find<QRadioButton>(kind)->click();
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            std::set<QChar> keys = menu_keys;
            for (QWidget* w : tabs->widget(page)->findChildren<QWidget*>()) {
                if (!w->isVisible()) continue;
                const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                                   qobject_cast<QAbstractButton*>(w) ||
                                   qobject_cast<QListWidget*>(w);
                if (input) {
                    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
                    ASSERT_NE(a, nullptr);
                    EXPECT_FALSE(a->text(QAccessible::Name).isEmpty())
                        << w->objectName().toStdString();
                }
                QString text;
                if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy())
                    text = label->text();
                else if (auto* button = qobject_cast<QAbstractButton*>(w))
                    text = button->text();
                else
                    continue;
                const QChar key = mnemonic(text);
                EXPECT_FALSE(key.isNull()) << text.toStdString();
                EXPECT_TRUE(keys.insert(key).second) << kind << ": " << text.toStdString();
            }
        }
    }
    // The buddies of the labels: their fields get the focus from the key.
    EXPECT_EQ(find<QLabel>("Label2")->buddy(), find<QWidget>("Edit3"));

    tabs->setCurrentIndex(0);
    QStringList order;
    QWidget* w = find<QWidget>("RadioButton1");
    for (int i = 0; i < 300 && order.size() < 6; ++i, w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus && w->isVisible()) order << w->objectName();
    EXPECT_EQ(order.mid(0, 6), (QStringList{"RadioButton1", "RadioButton2", "ListView1", "BitBtn1",
                                            "BitBtn9", "BitBtn2"}));
}

TEST(colour_scheme, DesktopSettingsThatAskForDarkColours) {
    const struct {
        const char* gnome;
        const char* gtk_theme;
        bool dark;
    } cases[] = {
        {"'prefer-dark'", "", true},
        {"'default'", "", false},
        {"'prefer-light'", "Adwaita:dark", false},
        {"", "Adwaita:dark", true},
        {"", "Arc-Dark", true},
        {"", "Adwaita", false},
        {"'default'", "Yaru-dark", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(colour_scheme::prefers_dark(QString::fromLatin1(c.gnome),
                                              QString::fromLatin1(c.gtk_theme)),
                  c.dark)
            << c.gnome << " " << c.gtk_theme;
}

// The View menu's choice overrides the desktop's colours and comes back at
// the next start.
TEST_F(manners, ColourChoiceOverridesTheDesktopAndIsKept) {
    open_window();
    const bool started_dark = colour_scheme::is_dark(QApplication::palette());
    find<QAction>("ColourDark1")->trigger();
    EXPECT_TRUE(colour_scheme::is_dark(QApplication::palette()));
    close_window();
    EXPECT_TRUE(
        read_file(paths_.user_settings_file()).contains("<colour_scheme>2</colour_scheme>"));
    open_window();
    EXPECT_TRUE(find<QAction>("ColourDark1")->isChecked());
    EXPECT_TRUE(colour_scheme::is_dark(QApplication::palette()));
    find<QAction>("ColourLight1")->trigger();
    EXPECT_FALSE(colour_scheme::is_dark(QApplication::palette()));
    find<QAction>("ColourSystem1")->trigger();
    EXPECT_EQ(colour_scheme::is_dark(QApplication::palette()), started_dark);
}

// The small things a user meets: fields that take typing, the attributes of
// named anchors unused while headings are linked by ids, and a window that
// fits a 1280 by 900 screen at scale factor 2 (640 by 450 points).
TEST_F(manners, FieldsTakeTypingAndTheWindowFitsASmallScreen) {
    TveltORV1& window = open_window();
    EXPECT_FALSE(find<QLineEdit>("Edit2")->isReadOnly());
    EXPECT_FALSE(find<QLineEdit>("Edit1")->isReadOnly());
    find<QCheckBox>("CheckBox5")->setChecked(true);
    EXPECT_FALSE(find<QLineEdit>("Edit3")->isEnabled());
    EXPECT_FALSE(find<QLabel>("Label2")->isEnabled());
    find<QCheckBox>("CheckBox5")->setChecked(false);
    EXPECT_TRUE(find<QLineEdit>("Edit3")->isEnabled());
    for (const char* kind : {"RadioButton1", "RadioButton2"}) {
        find<QRadioButton>(kind)->click();
        const QSize least = window.minimumSizeHint();
        EXPECT_LE(least.width(), 600) << kind;
        EXPECT_LE(least.height(), 400) << kind;
    }
}

}  // namespace
