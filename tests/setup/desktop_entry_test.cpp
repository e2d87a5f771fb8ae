// Desktop entries: whatever bytes a path holds, the Exec line parses back to
// exactly that path, and every entry passes desktop-file-validate.
#include <gtest/gtest.h>

#include "setup/desktop_entry.h"
#include "setup/shell_link.h"
#include "setup_test_env.h"

namespace {

bool validates(const std::string& path, std::string& report) {
    return run_program({"/usr/bin/desktop-file-validate", path}, "/", report) == 0 &&
           report.empty();
}

TEST(DesktopEntry, ExecLineParsesBackToTheArguments) {
    const std::vector<std::string> awkward = {
        "/opt/plain/vorn1",
        "/home/u/My Programs/\"quoted\" $HOME `date` 100%/vorn1",
        "/tmp/back\\slash/and'single'/a;b&c|d<e>f~g*h?i#j(k)",
        "/tmp/tab\tand\nnewline",
        " leading blank",
        ""};
    for (const std::string& program : awkward) {
        desktop_entry entry;
        entry.name = "Test";
        entry.command = {program, "second arg"};
        entry.field_code = "%f";
        std::string text = entry.text();
        std::string exec = text.substr(text.find("Exec=") + 5);
        exec.resize(exec.find('\n'));
        std::vector<std::string> args;
        ASSERT_TRUE(parse_exec(exec, "/some/page.html", args)) << exec;
        ASSERT_EQ(args.size(), 3u) << exec;
        EXPECT_EQ(args[0], program);
        EXPECT_EQ(args[1], "second arg");
        EXPECT_EQ(args[2], "/some/page.html");
    }
}

TEST(DesktopEntry, SimpleArgumentsStayUnquoted) {
    EXPECT_EQ(desktop_entry::quote_argument("/opt/VELT/ORV1/vorn1"), "/opt/VELT/ORV1/vorn1");
    EXPECT_EQ(desktop_entry::quote_argument("50%"), "50%%");
    EXPECT_EQ(desktop_entry::quote_argument("a b"), "\"a b\"");
    EXPECT_EQ(desktop_entry::escape_value(" x\\y"), "\\sx\\\\y");
}

TEST(DesktopEntry, FileNamesFollowTheLinkName) {
    EXPECT_EQ(desktop_entry_path("/a/VELT Orvane 1.0b.lnk"), "/a/VELT Orvane 1.0b.desktop");
    EXPECT_EQ(desktop_entry_path("/a/Help.desktop"), "/a/Help.desktop");
    EXPECT_EQ(desktop_entry_path("/a/x.lnk.txt"), "/a/x.lnk.txt.desktop");
}

TEST(DesktopEntry, ShortcutsRunProgramsAndOpenDocuments) {
    setup_test_env env;
    std::string folder = env.root() + "/odd \"name\" $x `y` 5%";
    make_folder(folder);
    write_text(folder + "/vorn1", "#!/bin/sh\n", 0755);
    write_text(folder + "/help.html", "<p>");

    shortcut_desc program;
    program.link_path = env.applications() + "/VELT Orvane 1.0b.lnk";
    program.target = folder + "/vorn1";
    program.working_folder = folder + "/";
    program.icon_file = folder + "/orvane.png";
    ASSERT_TRUE(create_shortcut(program));
    std::string path = env.applications() + "/VELT Orvane 1.0b.desktop";
    std::string report;
    EXPECT_TRUE(validates(path, report)) << report;
    EXPECT_EQ(entry_value(path, "Name"), "VELT Orvane 1.0b");
    std::vector<std::string> args;
    ASSERT_TRUE(parse_exec(entry_value(path, "Exec"), "", args));
    EXPECT_EQ(args, std::vector<std::string>{folder + "/vorn1"});
    EXPECT_EQ(entry_value(path, "Path"), folder + "/");

    shortcut_desc document;
    document.link_path = env.applications() + "/Help.lnk";
    document.target = folder + "/help.html";
    ASSERT_TRUE(create_shortcut(document));
    path = env.applications() + "/Help.desktop";
    EXPECT_TRUE(validates(path, report)) << report;
    ASSERT_TRUE(parse_exec(entry_value(path, "Exec"), "", args));
    EXPECT_EQ(args, (std::vector<std::string>{"xdg-open", folder + "/help.html"}));

    document.link_path = env.root() + "/no such folder/Help.lnk";
    EXPECT_FALSE(create_shortcut(document));
}

}  // namespace
