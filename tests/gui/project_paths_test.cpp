// Paths as the window meets them: relative paths of a project taken from the
// project file's folder, and file names that are bytes, not UTF-8.
#include <sys/stat.h>

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <string>

#include "desktop/byte_text.h"
#include "files/atomic_file.h"
#include "files/vtfile.h"
#include "gui/user_settings.h"
#include "gui_fixture.h"

namespace {

using project_paths = window_test;

std::string bytes_of(const QString& path) {
    return byte_text(path);
}

std::string read_bytes(const std::string& path) {
    vtstring text;
    vtfile_read_all(path, text);
    return text.str();
}

// The shipped example names its pages (and, as "../vtdata/", the program's
// template) relative to the project file; the window builds it wherever it
// was started (here: the test's own folder).
TEST_F(project_paths, ShippedExampleBuildsFromTheWindowStartedElsewhere) {
    const QString site = path("somewhere/site");
    paths_ = program_paths::in_folder(path("somewhere"), path("config/VELT/ORV1"));
    write_file(paths_.distribution_settings, "<save_format_on_exit>0</save_format_on_exit>\r\n");
    ASSERT_TRUE(QDir().mkpath(paths_.data_folder));
    ASSERT_EQ(
        std::system(("cp -r '" ORVANE_SOURCE_DIR "/examples' '" + bytes_of(site) + "'").c_str()),
        0);
    ASSERT_EQ(std::system(("cp '" ORVANE_SOURCE_DIR "/data/vtdata/'* '" +
                           bytes_of(paths_.data_folder) + "'")
                              .c_str()),
              0);
    ASSERT_NE(QDir::currentPath(), site);
    const QByteArray stored = read_file(site + "/project.txt");

    TveltORV1& window = open_window();
    dialogs_.files = {{site + "/project.txt"}};
    find<QAction>("OpenProject1")->trigger();
    build();
    ASSERT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join("|").toStdString();
    EXPECT_NE(read_file(site + "/index.html").indexOf("<!--VELT_HTML_TOC_START-->"), -1);
    EXPECT_NE(read_file(site + "/setup/network.html").indexOf("velt_link_"), -1);
    EXPECT_EQ(find<QListWidget>("ListView1")->item(0)->text(), "getting started.html");
    find<QAction>("ViewResultFile1")->trigger();
    EXPECT_EQ(shell_.opened, QStringList{"open " + site + "/index.html"});

    // Saved as the user wrote it: the paths stay relative.
    find<QAction>("SaveProject1")->trigger();
    EXPECT_EQ(read_file(site + "/project.txt").count("<source>"), stored.count("<source>"));
    EXPECT_NE(read_file(site + "/project.txt").indexOf("<source>getting started.html</source>"),
              -1);

    // Reopened from the recent list, the project clears its pages again.
    find<QAction>("NewProject1")->trigger();
    find<QMenu>("RecentProjects1")->actions()[0]->trigger();
    EXPECT_EQ(window.project_path(), site + "/project.txt");
    clear();
    ASSERT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join("|").toStdString();
    EXPECT_EQ(read_file(site + "/index.html").indexOf("<!--VELT_HTML_TOC_START-->"), -1);
    EXPECT_EQ(read_file(site + "/setup/network.html").indexOf("name=\"velt_link_"), -1);

    // A chooser starts in the folder a relative path names.
    dialogs_.files = {{}};
    find<QPushButton>("BitBtn1")->click();
    EXPECT_EQ(dialogs_.requests.back().directory, site);
}

// A folder and pages whose names hold the bytes 0xE9 and 0xFF: shown in the
// window, edited, saved into the project and built, every byte stays.
TEST_F(project_paths, BytesThatAreNotUtf8SurviveShowEditSaveAndBuild) {
    const std::string folder = bytes_of(root_.path()) + "/caf\xe9-\xff";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string page = folder + "/p\xe9.html";
    const std::string other = folder + "/q\xff.html";
    const std::string index = folder + "/index\xe9\xff.html";
    for (const std::string& file : {page, other})
        ASSERT_TRUE(vtfile_write_atomic(file, "<body><h1>One</h1><h2>Two</h2></body>"));
    const std::string project = folder + "/project\xff.txt";
    ASSERT_TRUE(vtfile_write_atomic(project, "<is_single>0</is_single>\r\n<source>" + page +
                                                 "</source>\r\n<destination>" + index +
                                                 "</destination>\r\n"));

    open_window();
    dialogs_.files = {{qt_text(project)}, {qt_text(other)}};
    find<QAction>("OpenProject1")->trigger();
    auto* list = find<QListWidget>("ListView1");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(bytes_of(list->item(0)->text()), page);
    find<QPushButton>("BitBtn1")->click();  // adds the second page
    list->item(1)->setSelected(true);
    find<QPushButton>("BitBtn3")->click();  // and moves it up
    find<QAction>("SaveProject1")->trigger();
    build();
    ASSERT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join("|").toStdString();

    // Saved beside the pages, the project names them relative to itself.
    toc_project saved;
    ASSERT_EQ(saved.load(project), 0);
    ASSERT_EQ(saved.source.count(), 2);
    EXPECT_EQ(saved.source[0].text(), "q\xff.html");
    EXPECT_EQ(saved.source[1].text(), "p\xe9.html");
    EXPECT_EQ(saved.destination.text(), "index\xe9\xff.html");
    EXPECT_NE(read_bytes(index).find("<!--VELT_HTML_TOC_START-->"), std::string::npos);
    EXPECT_NE(read_bytes(page).find("velt_link_"), std::string::npos);
    EXPECT_EQ(bytes_of(caption()), "Orvane 1.0b - project\xff.txt");
    close_window();
    user_settings settings;
    vtstring error;
    ASSERT_TRUE(settings.read(bytes_of(paths_.user_settings_file()), error));
    EXPECT_EQ(settings.recent, std::vector<std::string>{project});
}

}  // namespace
