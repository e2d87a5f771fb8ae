#include "gui/system_shell.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "gui_fixture.h"

namespace {

TEST(system_shell, ExecuteSplitsAtTheFirstBlankAndPassesTheRestAsParameters) {
    const shell_command command = make_shell_command(QStringLiteral("execute"),
                                                     QStringLiteral("/bin/echo one.html two.html"));
    EXPECT_EQ(command.program, "/bin/echo");
    EXPECT_EQ(command.arguments, (QStringList{"one.html", "two.html"}));

    const shell_command bare =
        make_shell_command(QStringLiteral("execute"), QStringLiteral("/bin/true"));
    EXPECT_EQ(bare.program, "/bin/true");
    EXPECT_TRUE(bare.arguments.isEmpty());
}

TEST(system_shell, OpenHandsTheWholeTargetToTheDesktop) {
    const shell_command page =
        make_shell_command(QStringLiteral("open"), QStringLiteral("/site/getting started.html"));
    EXPECT_EQ(page.program, "xdg-open");
    EXPECT_EQ(page.arguments, QStringList{"/site/getting started.html"});
    // A document given to "execute" is opened, not run.
    const shell_command document =
        make_shell_command(QStringLiteral("execute"), QStringLiteral("/no/such/file.html"));
    EXPECT_EQ(document.program, "xdg-open");
}

TEST(system_shell, MissingDocumentFails) {
    QTemporaryDir dir;
    system_shell shell;
    EXPECT_FALSE(shell.open(QStringLiteral("open"), dir.filePath(QStringLiteral("none.html"))));
    EXPECT_FALSE(shell.open(QStringLiteral("open"), QString()));
}

}  // namespace
