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
