#include "gui/file_chooser.h"

#include <gtest/gtest.h>

#include "gui_fixture.h"

namespace {

TEST(file_chooser, InitialDirectoryFollowsTheReferenceAndOtherwiseStays) {
    scripted_dialogs answers;
    file_chooser chooser(answers);
    chooser.take_directory_from(QStringLiteral("/home/ann/site/index.html"));
    EXPECT_EQ(chooser.last_directory(), "/home/ann/site");
    chooser.take_directory_from(QString());
    EXPECT_EQ(chooser.last_directory(), "/home/ann/site");
    chooser.take_directory_from(QStringLiteral("page.html"));  // no separator: all of it
    EXPECT_EQ(chooser.last_directory(), "page.html");
    chooser.take_directory_from(QStringLiteral("/index.html"));
    EXPECT_EQ(chooser.pending_request(false, 0).directory, "/");
    chooser.set_last_directory(QStringLiteral("/home/ann/"));
    EXPECT_EQ(chooser.pending_request(false, 0).directory, "/home/ann");  // one separator dropped
    // An open project's relative paths are taken from its folder.
    chooser.set_base_folder(QStringLiteral("/home/ann/book"));
    chooser.take_directory_from(QStringLiteral("part/one.html"));
    EXPECT_EQ(chooser.last_directory(), "/home/ann/book/part");
    chooser.take_directory_from(QStringLiteral("/srv/two.html"));
    EXPECT_EQ(chooser.last_directory(), "/srv");
}

TEST(file_chooser, SettingsPersistWhileOptionsLastOneShowing) {
    scripted_dialogs answers;
    answers.files = {{QStringLiteral("/a/b.html")}, {}, {QStringLiteral("/a/c.txt")}};
    file_chooser chooser(answers);
    chooser.set_title(QStringLiteral("Open source file for building ToC"));
    chooser.set_filter(file_chooser::filter_list::html);
    chooser.set_default_suffix(QStringLiteral(".html"));
    EXPECT_EQ(chooser.show_open(nullptr, file_chooser::must_exist | file_chooser::multiple),
              QStringList{QStringLiteral("/a/b.html")});
    EXPECT_TRUE(chooser.show_open(nullptr, file_chooser::none).isEmpty());  // cancelled
    EXPECT_EQ(chooser.show_save(nullptr), "/a/c.txt");
    ASSERT_EQ(answers.requests.size(), 3u);
    EXPECT_TRUE(answers.requests[0].must_exist);
    EXPECT_TRUE(answers.requests[0].multiple);
    EXPECT_FALSE(answers.requests[1].must_exist);
    EXPECT_FALSE(answers.requests[1].multiple);
    EXPECT_TRUE(answers.requests[2].save);
    for (const file_request& request : answers.requests) {
        EXPECT_EQ(request.title, "Open source file for building ToC");
        EXPECT_EQ(request.default_suffix, ".html");
        EXPECT_EQ(request.filters, file_chooser::html_filters());
    }
    EXPECT_EQ(file_chooser::html_filters().front(), "HTML Files (*.htm *.html *.shtml)");
    EXPECT_EQ(file_chooser::project_filters().front(), "Text Files (*.txt)");
}

}  // namespace
