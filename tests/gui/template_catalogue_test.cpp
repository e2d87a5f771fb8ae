#include "gui/template_catalogue.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "gui_fixture.h"

namespace {

class catalogue_test : public ::testing::Test {
  protected:
    std::string folder() const { return (dir_.path() + "/").toStdString(); }
    bool load(const QByteArray& text) {
        write_file(dir_.path() + "/templates.txt", text);
        return catalogue_.load(folder());
    }
    std::string error() const { return catalogue_.error().str(); }

    QTemporaryDir dir_;
    template_catalogue catalogue_;
};

TEST_F(catalogue_test, PairsEntriesByPositionNotByPlaceInFile) {
    ASSERT_TRUE(
        load("<file>a.html</file>\r\n<file>b.html</file>\r\n"
             "<name>A</name>\r\n<name>B</name>\r\n"
             "<description>about a</description>\r\n<description>about b</description>\r\n"));
    ASSERT_EQ(catalogue_.count(), 2);
    EXPECT_EQ(catalogue_.file(1), "b.html");
    EXPECT_EQ(catalogue_.name(1), "B");
    EXPECT_EQ(catalogue_.description(1), "about b");
    EXPECT_EQ(catalogue_.file(2), "");  // past the end: empty, never a crash
    EXPECT_EQ(catalogue_.name(-1), "");
}

TEST_F(catalogue_test, ReportsEachMissingTagAndUnevenLists) {
    EXPECT_FALSE(load("<name>A</name>\r\n<description>d</description>\r\n"));
    EXPECT_EQ(error(), "Tag <file> is missing.");
    EXPECT_FALSE(load("<file>a</file>\r\n<description>d</description>\r\n"));
    EXPECT_EQ(error(), "Tag <name> is missing.");
    EXPECT_FALSE(load("<file>a</file>\r\n<name>A</name>\r\n"));
    EXPECT_EQ(error(), "Tag <description> is missing.");
    EXPECT_FALSE(
        load("<file>a</file>\r\n<file>b</file>\r\n<name>A</name>\r\n"
             "<description>d</description>\r\n<description>e</description>\r\n"));
    EXPECT_EQ(error(),
              "Each template description must have exactly one <file>, <name> and "
              "<description> tag.");
    EXPECT_FALSE(catalogue_.loaded());
}

TEST_F(catalogue_test, MissingFileAndBrokenFileGiveTheReaderMessage) {
    EXPECT_FALSE(catalogue_.load(folder()));
    EXPECT_EQ(error(), "Can't open file " + folder() + "templates.txt");
    EXPECT_FALSE(load("<file>a.html</file>\r\n<name>A"));
    EXPECT_NE(error().find("Line: "), std::string::npos) << error();
}

TEST_F(catalogue_test, FailedReloadKeepsThePreviousCatalogue) {
    ASSERT_TRUE(load(k_test_catalogue));
    EXPECT_FALSE(load("<file>only.html</file>\r\n"));
    EXPECT_TRUE(catalogue_.loaded());
    EXPECT_EQ(catalogue_.count(), 3);
    EXPECT_EQ(catalogue_.name(1), "Outline");
}

}  // namespace
