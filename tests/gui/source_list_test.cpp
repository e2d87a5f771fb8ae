// Editing the source list of a multiple-file project.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "gui_fixture.h"

namespace {

class source_list : public window_test {
  protected:
    void SetUp() override {
        open_window();
        find<QRadioButton>("RadioButton2")->click();
        list_ = find<QListWidget>("ListView1");
        list_->addItems({"r0", "r1", "r2", "r3", "r4"});
    }
    void select(std::initializer_list<int> rows) {
        list_->clearSelection();
        for (int row : rows) list_->item(row)->setSelected(true);
    }
    QStringList rows() const {
        QStringList texts;
        for (int row = 0; row < list_->count(); ++row) texts << list_->item(row)->text();
        return texts;
    }
    QStringList selected() const {
        QStringList texts;
        for (int row = 0; row < list_->count(); ++row)
            if (list_->item(row)->isSelected()) texts << list_->item(row)->text();
        return texts;
    }
    bool enabled(const char* name) const { return find<QPushButton>(name)->isEnabled(); }

    QListWidget* list_ = nullptr;
};

TEST_F(source_list, MovesFollowTheFirstSelectedRowAndSelectionCount) {
    select({1, 3});
    find<QPushButton>("BitBtn3")->click();  // row 0 goes to position 2
    EXPECT_EQ(rows(), (QStringList{"r1", "r2", "r0", "r3", "r4"}));
    EXPECT_EQ(selected(), (QStringList{"r1", "r3"}));

    select({1, 3});
    find<QPushButton>("BitBtn4")->click();  // row 3 goes to position 1
    EXPECT_EQ(rows(), (QStringList{"r1", "r3", "r2", "r0", "r4"}));
    EXPECT_EQ(selected(), (QStringList{"r2"}));  // the selected row re-inserted loses it

    select({2, 3});
    find<QPushButton>("BitBtn4")->click();  // a contiguous block moves down by one
    EXPECT_EQ(rows(), (QStringList{"r1", "r3", "r4", "r2", "r0"}));
    EXPECT_EQ(selected(), (QStringList{"r2", "r0"}));
}

TEST_F(source_list, MovesAtTheEdgesDisableOnlyTheirButton) {
    select({0});
    EXPECT_FALSE(enabled("BitBtn3"));
    EXPECT_TRUE(enabled("BitBtn4"));
    EXPECT_TRUE(enabled("BitBtn2"));
    find<QPushButton>("BitBtn3")->setEnabled(true);  // as left over from another selection
    find<QPushButton>("BitBtn3")->click();
    EXPECT_FALSE(enabled("BitBtn3"));
    EXPECT_EQ(rows(), (QStringList{"r0", "r1", "r2", "r3", "r4"}));

    select({3, 4});
    EXPECT_TRUE(enabled("BitBtn3"));
    find<QPushButton>("BitBtn4")->setEnabled(true);
    find<QPushButton>("BitBtn4")->click();
    EXPECT_FALSE(enabled("BitBtn4"));
    EXPECT_TRUE(enabled("BitBtn3"));
    EXPECT_EQ(rows(), (QStringList{"r0", "r1", "r2", "r3", "r4"}));

    list_->clearSelection();
    EXPECT_FALSE(enabled("BitBtn2"));
    EXPECT_FALSE(enabled("BitBtn3"));
    EXPECT_FALSE(enabled("BitBtn4"));
}

TEST_F(source_list, DeleteAsksFirstAndOnlyYesRemoves) {
    select({1, 3});
    dialogs_.answer_yes = false;
    find<QPushButton>("BitBtn2")->click();
    EXPECT_EQ(rows().size(), 5);
    EXPECT_EQ(dialogs_.questions,
              QStringList{"Are you sure you wish to remove selected files from the project?"});
    dialogs_.answer_yes = true;
    QTest::keyClick(list_, Qt::Key_Delete);
    EXPECT_EQ(rows(), (QStringList{"r0", "r2", "r4"}));
    EXPECT_EQ(status(), "Total source files: 3");

    list_->clearSelection();
    find<QPushButton>("BitBtn2")->setEnabled(true);
    find<QPushButton>("BitBtn2")->click();
    EXPECT_EQ(dialogs_.messages, QStringList{"No items selected"});
    EXPECT_EQ(rows().size(), 3);
}

TEST_F(source_list, AddAppendsChosenFilesFromTheFirstRowsFolder) {
    list_->clear();
    find<QLineEdit>("Edit1")->setText(path("site/index.html"));
    dialogs_.files = {{path("site/a.html"), path("site/b.html")}, {path("site/a.html")}};
    find<QPushButton>("BitBtn1")->click();
    EXPECT_EQ(status(), "Total source files: 2");
    find<QPushButton>("BitBtn1")->click();  // a page is listed once
    EXPECT_EQ(rows(), (QStringList{path("site/a.html"), path("site/b.html")}));
    EXPECT_EQ(status(), "Already in the list, not added again: " + path("site/a.html"));
    ASSERT_EQ(dialogs_.requests.size(), 2u);
    const file_request& first = dialogs_.requests[0];
    EXPECT_EQ(first.title, "Open source files for building ToC");
    EXPECT_TRUE(first.multiple);
    EXPECT_TRUE(first.must_exist);
    EXPECT_EQ(first.directory, path("site"));  // from the destination while the list is empty
}

}  // namespace

class source_patterns : public window_test {};

// A pattern line shows as a row of its own with the count of its pages and
// the pages in its tool tip (or why it has none); saving writes it back as a
// pattern, in its place among the pages.
TEST_F(source_patterns, RowsShowTheirPagesAndSaveAsPatterns) {
    for (const char* page : {"site/intro.html", "site/ch/10.html", "site/ch/2.html"})
        write_file(path(page), "<h1>x</h1>");
    const QByteArray lines =
        "<is_single>0</is_single>\r\n<relative_to>project</relative_to>\r\n"
        "<source>intro.html</source>\r\n<source_glob>ch/*.html</source_glob>\r\n"
        "<source>end.html</source>\r\n<source_glob>none/*.html</source_glob>\r\n";
    write_file(path("site/p.txt"), lines);
    TveltORV1& window = open_window();
    dialogs_.files = {{path("site/p.txt")}};
    window.OpenProject1Click();
    auto* list = find<QListWidget>("ListView1");
    ASSERT_EQ(list->count(), 4);
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
    EXPECT_EQ(texts, (QStringList{"intro.html", "ch/*.html   (2 pages)", "end.html",
                                  "none/*.html   (no page)"}));
    EXPECT_EQ(list->item(1)->toolTip(), "Pattern for 2 pages:\nch/2.html\nch/10.html");
    EXPECT_EQ(list->item(3)->toolTip(), "No file matches pattern: " + path("site/none/*.html"));
    EXPECT_TRUE(list->item(0)->toolTip().isEmpty());

    // Rows move as pages do; the pattern keeps its text.
    list->clearSelection();
    list->item(1)->setSelected(true);
    find<QPushButton>("BitBtn3")->click();
    window.SaveProject1Click();
    const QByteArray saved = read_file(path("site/p.txt"));
    EXPECT_NE(saved.indexOf("<source_glob>ch/*.html</source_glob>\r\n<source>intro.html</source>"
                            "\r\n<source>end.html</source>\r\n<source_glob>none/*.html"),
              -1)
        << saved.toStdString();
}
