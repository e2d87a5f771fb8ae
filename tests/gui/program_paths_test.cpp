#include "gui/program_paths.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

// Where the program finds its data for each way it is installed: beside
// itself (build tree, wizard, tarball) or in ../share/orvane/ (a package).
TEST(program_paths, DataBesideTheProgramElseInShareOrvane) {
    QTemporaryDir root;
    const QString r = root.path();
    for (const char* folder : {"tree/vtdata", "usr/bin", "usr/share/orvane/vtdata", "bare/bin",
                               "both/bin/vtdata", "both/share/orvane/vtdata"})
        ASSERT_TRUE(QDir().mkpath(r + "/" + folder));
    const struct {
        QString program;
        QString resources;
    } cases[] = {
        {r + "/tree", r + "/tree/"},
        {r + "/usr/bin", r + "/usr/share/orvane/"},
        {r + "/usr/bin/", r + "/usr/share/orvane/"},
        {r + "/both/bin", r + "/both/bin/"},
        {r + "/bare/bin", r + "/bare/bin/"},
    };
    const QString user = QDir::cleanPath(qEnvironmentVariable("XDG_CONFIG_HOME")) + "/VELT/ORV1/";
    for (const auto& c : cases) {
        const program_paths p = program_paths::locate(c.program);
        const std::string where = c.program.toStdString();
        EXPECT_EQ(p.program_folder, QDir::cleanPath(c.program) + "/") << where;
        EXPECT_EQ(p.data_folder, c.resources + "vtdata/") << where;
        EXPECT_EQ(p.help_contents, c.resources + "help.html") << where;
        EXPECT_EQ(p.help_folder, c.resources + "help/") << where;
        EXPECT_EQ(p.distribution_settings, c.resources + "vorn_set.txt") << where;
        EXPECT_EQ(p.icon_file, c.resources + "orvane.png") << where;
        EXPECT_EQ(p.user_folder, user) << where << ": settings never go where the program is";
    }
}
