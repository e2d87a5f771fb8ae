#include "gui/system_shell.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "gui/desktop_launch.h"
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

// The Exec line of a desktop entry as the program receives it.
TEST(desktop_launch, EntryCommandFollowsTheDesktopEntryRules) {
    const QStringList terminal{"/usr/bin/x-terminal-emulator", "-e"};
    const QString file = "/t/my tpl.html";
    const struct {
        const char* entry;
        QStringList command;  // empty: none
    } cases[] = {
        {"[Desktop Entry]\nExec=gedit %U\n", {"gedit", file}},
        {"[Desktop Entry]\nExec=kate -b %f\nName=Kate\n", {"kate", "-b", file}},
        {"[Desktop Entry]\nExec=\"/opt/my editor/ed\" --title %c %F\nName=My Ed\n",
         {"/opt/my editor/ed", "--title", "My Ed", file}},
        {"[Desktop Entry]\nExec=ed \"a \\\\\"b\\\\\"\" 100%%\n", {"ed", "a \"b\"", "100%", file}},
        {"[Desktop Entry]\nExec=ed %i %k\n", {"ed", "/apps/ed.desktop", file}},
        {"[Desktop Entry]\nExec=vim %F\nTerminal=true\n",
         {"/usr/bin/x-terminal-emulator", "-e", "vim", file}},
        {"[Desktop Action new]\nExec=other\n[Desktop Entry]\nExec=right %f\n", {"right", file}},
        {"[Desktop Entry]\nName=No command\n", {}},
    };
    for (const auto& c : cases) {
        const auto command =
            entry_command(QString::fromUtf8(c.entry), "/apps/ed.desktop", file, terminal);
        if (c.command.isEmpty()) {
            EXPECT_FALSE(command) << c.entry;
            continue;
        }
        ASSERT_TRUE(command) << c.entry;
        EXPECT_EQ(QStringList{command->program} + command->arguments, c.command) << c.entry;
    }
    // A terminal program without a terminal to run in is no editor.
    EXPECT_FALSE(entry_command("[Desktop Entry]\nExec=vim\nTerminal=true\n", {}, file, {}));
}

// Templates open in the desktop's program for plain text, else $VISUAL, else
// $EDITOR (in a terminal when there is one); never nothing silently.
TEST(desktop_launch, EditorIsTheDesktopsThenVisualThenEditor) {
    const QString file = "/t/a.html";
    const QString gedit = "[Desktop Entry]\nExec=gedit %U\n";
    const QStringList term{"xterm", "-e"};
    using words = QStringList;
    auto run = [&](const QString& entry, const QString& visual, const QString& editor,
                   const QStringList& terminal) {
        const auto c = editor_command(file, entry, "/apps/e.desktop", visual, editor, terminal);
        return c ? words{c->program} + c->arguments : words{};
    };
    EXPECT_EQ(run(gedit, "code --wait", "vi", term), (words{"gedit", file}));
    EXPECT_EQ(run("", "code --wait", "vi", term), (words{"xterm", "-e", "code", "--wait", file}));
    EXPECT_EQ(run("", "", "vi", {}), (words{"vi", file}));
    EXPECT_EQ(run("[Desktop Entry]\nExec=vim\nTerminal=true\n", "", "nano", {}),
              (words{"nano", file}));
    EXPECT_EQ(run("", "", "", term), words{});
}

// Help pages and results go to a web browser: xdg-open only while the
// desktop's program for HTML pages is not this program's "Open With" entry.
TEST(desktop_launch, PagesOpenInABrowserNeverInThisProgram) {
    const QString page = "/usr/share/orvane/help.html";
    auto found = [](const QString& program) {
        return program == "firefox-esr" || program == "lynx" ? "/usr/bin/" + program : QString();
    };
    using words = QStringList;
    auto run = [&](const QString& id, const QString& browser) {
        const auto c = browser_command(page, id, browser, found);
        return c ? words{c->program} + c->arguments : words{};
    };
    EXPECT_EQ(run("firefox-esr.desktop", ""), (words{"xdg-open", page}));
    for (const char* own :
         {"velt-orvane-create-toc.desktop", "org.orvane.Orvane.CreateToc.desktop", ""})
        EXPECT_EQ(run(own, ""), (words{"/usr/bin/firefox-esr", page})) << own;
    EXPECT_EQ(run("", "links2:lynx -dump %s"), (words{"/usr/bin/lynx", "-dump", page}));
    auto none = [](const QString&) { return QString(); };
    EXPECT_FALSE(browser_command(page, "velt-orvane-create-toc.desktop", "", none));
}

}  // namespace
