// Installing without the window, and removing again: what lands where, what
// the store records, how failures stop, and that removal takes only what
// was installed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "setup/debian_package.h"
#include "setup/mime_default.h"
#include "setup/registry_store.h"
#include "setup/setup_distribution.h"
#include "setup/setup_install.h"
#include "setup/setup_text.h"
#include "setup/uninstaller.h"
#include "setup_test_env.h"

namespace {

std::string value_of(registry_store& store, reg_root root, std::string_view key, const char* name) {
    vthash values;
    values.set(vtval(name), vtval(""));
    if (!store.read_values(root, key, values)) return "<no key>";
    return std::string(values.find(name)->text());
}

class SetupInstall : public ::testing::Test {
  protected:
    void SetUp() override {
        make_fake_distribution(dist);
        ASSERT_TRUE(distribution.check(dist));
    }

    bool install(const std::string& folder, bool desktop = true, bool shell = true) {
        choices.install_folder = folder;
        choices.desktop_icon = desktop;
        choices.shell_extension = shell;
        setup_install installer(store, distribution);
        bool ok = installer.run(choices, [&](int percent) { progress.push_back(percent); });
        message = installer.message();
        detail = installer.detail();
        notes = installer.notes();
        return ok;
    }

    setup_test_env env;
    std::string dist = env.root() + "/dist";
    registry_store store{env.registry()};
    setup_distribution distribution;
    setup_choices choices;
    std::vector<int> progress;
    std::string message;
    std::string detail;
    std::vector<std::string> notes;
};

// The first line a command prints.
std::string first_line(const std::string& command) {
    std::string output;
    run_program({"/bin/sh", "-c", command}, "/", output);
    return output.substr(0, output.find('\n'));
}

bool has_program(const char* name) {
    std::string output;
    return run_program({"/bin/sh", "-c", std::string("command -v ") + name}, "/", output) == 0;
}

TEST_F(SetupInstall, DistributionIsMeasured) {
    // Listed files, the icon, and the files directly inside the folders.
    int64_t expected = 0;
    for (const auto& item : distribution.items()) expected += item.size;
    EXPECT_EQ(distribution.items().size(), 9u + 1u + 3u);
    EXPECT_EQ(distribution.required_size(), expected);
    EXPECT_EQ(distribution.required_kb(), expected / 1024 + 1);
    for (const auto& item : distribution.items()) EXPECT_NE(item.name, "vtdata/nested/skipped.txt");
}

TEST_F(SetupInstall, IncompleteDistributionNamesWhatIsMissing) {
    for (std::string name : {"help.html", "vorn1-desktop", "remove", "vtdata", "help"}) {
        std::string other = env.root() + "/other-" + name;
        make_fake_distribution(other);
        std::string command = "rm -rf '" + other + "/" + name + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        setup_distribution broken;
        EXPECT_FALSE(broken.check(other));
        EXPECT_EQ(broken.missing(), name);
    }
    // A listed file that is a folder or a pipe is as good as missing.
    std::string other = env.root() + "/folder-as-file";
    make_fake_distribution(other);
    ASSERT_EQ(std::remove((other + "/readme.txt").c_str()), 0);
    make_folder(other + "/readme.txt");
    ASSERT_EQ(std::remove((other + "/license.txt").c_str()), 0);
    ASSERT_EQ(mkfifo((other + "/license.txt").c_str(), 0644), 0);
    setup_distribution broken;
    EXPECT_FALSE(broken.check(other));
    EXPECT_EQ(broken.missing(), "readme.txt");
    ASSERT_EQ(rmdir((other + "/readme.txt").c_str()), 0);
    write_text(other + "/readme.txt", "back");
    EXPECT_FALSE(broken.check(other));
    EXPECT_EQ(broken.missing(), "license.txt");
}

TEST_F(SetupInstall, InstallsFilesEntriesAndRecord) {
    std::string inst = env.home() + "/Programs/VELT/ORV1";
    ASSERT_TRUE(install(inst)) << message;
    EXPECT_EQ(choices.install_folder, inst + "/");

    EXPECT_TRUE(exists(inst + "/vorn1"));
    EXPECT_FALSE(exists(inst + "/setup"));
    EXPECT_EQ(read_text(inst + "/vorn1"), read_text(dist + "/setup"));
    EXPECT_EQ(access((inst + "/vorn1").c_str(), X_OK), 0);
    EXPECT_EQ(access((inst + "/vorn1-desktop").c_str(), X_OK), 0);
    for (const char* name : {"vorn1-desktop", "remove", "readme.txt", "license.txt", "help.html",
                             "brenit.gif", "logo.gif", "vorn_set.txt", "orvane.png",
                             "vtdata/templates.txt", "vtdata/plain.html", "help/4.html"}) {
        EXPECT_EQ(read_text(inst + "/" + name), read_text(dist + "/" + name)) << name;
    }
    EXPECT_FALSE(exists(inst + "/vtdata/nested"));

    // One submenu by the freedesktop menu rules: entries with categories, a
    // directory file naming the submenu and a merged menu file listing them.
    const std::string apps = env.applications() + "/";
    const struct {
        const char* file;
        const char* name;
        const char* window_class;
    } menu_entries[] = {{"velt-orvane-vorn1.desktop", "VELT Orvane 1.0b", "vorn1"},
                        {"velt-orvane-help.desktop", "Help", ""},
                        {"velt-orvane-uninstall.desktop", "Uninstall", ""}};
    std::string listed;
    for (const auto& entry : menu_entries) {
        EXPECT_EQ(entry_value(apps + entry.file, "Name"), entry.name);
        EXPECT_EQ(entry_value(apps + entry.file, "Categories"), "Development;WebDevelopment;");
        EXPECT_EQ(entry_value(apps + entry.file, "StartupWMClass"), entry.window_class);
        listed += "            <Filename>" + std::string(entry.file) + "</Filename>\n";
    }
    const std::string directory = env.data() + "/desktop-directories/velt-orvane.directory";
    EXPECT_EQ(read_text(directory),
              "[Desktop Entry]\nType=Directory\nVersion=1.0\nName=VELT "
              "Orvane\nIcon=" +
                  inst + "/orvane.png\n");
    const std::string menu = env.config() + "/menus/applications-merged/user-velt-orvane.menu";
    EXPECT_NE(read_text(menu).find("<Menu>\n        <Name>velt-orvane</Name>\n        "
                                   "<Directory>velt-orvane.directory</Directory>\n        "
                                   "<Include>\n" +
                                   listed + "        </Include>"),
              std::string::npos)
        << read_text(menu);
    EXPECT_EQ(entry_value(env.desktop() + "/VELT Orvane 1.0b.desktop", "StartupWMClass"), "vorn1");
    std::string shell = apps + "velt-orvane-create-toc.desktop";
    EXPECT_EQ(entry_value(shell, "Name"), "Create ToC with Orvane 1.0b");
    EXPECT_EQ(entry_value(shell, "MimeType"), "text/html;");
    EXPECT_EQ(entry_value(shell, "NoDisplay"), "true");

    const std::string key(setup_text::program_key);
    EXPECT_EQ(value_of(store, reg_root::hklm, key, "inst_dir"), inst + "/");
    EXPECT_EQ(value_of(store, reg_root::hklm, key, "icon_dir"), menu);
    EXPECT_EQ(value_of(store, reg_root::hklm, key, "desktop_icon"),
              env.desktop() + "/VELT Orvane 1.0b.desktop");
    const std::string uninstall(setup_text::uninstall_key);
    EXPECT_EQ(value_of(store, reg_root::hklm, uninstall, "DisplayName"), "Orvane 1.0b");
    EXPECT_EQ(value_of(store, reg_root::hklm, uninstall, "UninstallString"), inst + "/remove");
    EXPECT_EQ(value_of(store, reg_root::hkcr,
                       "text/html\\shell\\Create ToC with Orvane 1.0b\\command", ""),
              inst + "/vorn1 %f");
    EXPECT_NE(value_of(store, reg_root::hklm, key, "created_dirs").find(env.home() + "/Programs\n"),
              std::string::npos);

    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.front(), 2);
    EXPECT_EQ(progress.back(), 100);
}

TEST_F(SetupInstall, OptionsLeftOutCreateNothing) {
    ASSERT_TRUE(install(env.root() + "/inst", false, false)) << message;
    EXPECT_FALSE(exists(env.desktop() + "/VELT Orvane 1.0b.desktop"));
    EXPECT_FALSE(exists(env.applications() + "/velt-orvane-create-toc.desktop"));
    EXPECT_FALSE(store.key_exists(reg_root::hkcr, "text/html"));
    EXPECT_EQ(value_of(store, reg_root::hklm, setup_text::program_key, "desktop_icon"), "");
}

TEST_F(SetupInstall, AwkwardFolderNamesStillRunTheProgram) {
    std::string inst = env.root() + "/my \"odd\" $HOME `x` 100%/ORV1";
    ASSERT_TRUE(install(inst)) << message;
    std::string menu = env.applications() + "/";
    struct expectation {
        std::string entry;
        std::vector<std::string> args;
    };
    const std::vector<expectation> entries = {
        {menu + "velt-orvane-vorn1.desktop", {inst + "/vorn1"}},
        {env.desktop() + "/VELT Orvane 1.0b.desktop", {inst + "/vorn1"}},
        {menu + "velt-orvane-help.desktop", {"xdg-open", inst + "/help.html"}},
        {menu + "velt-orvane-uninstall.desktop", {inst + "/remove"}},
        {menu + "velt-orvane-create-toc.desktop", {inst + "/vorn1", "/w/page one.html"}},
    };
    for (const expectation& e : entries) {
        std::string report;
        EXPECT_EQ(run_program({"/usr/bin/desktop-file-validate", e.entry}, "/", report), 0)
            << report;
        EXPECT_EQ(report, "");
        std::vector<std::string> args;
        ASSERT_TRUE(parse_exec(entry_value(e.entry, "Exec"), "/w/page one.html", args)) << e.entry;
        EXPECT_EQ(args, e.args) << e.entry;
    }
    // The context-menu command really starts the installed program with the
    // page (the stand-in program echoes its arguments).
    std::vector<std::string> args;
    parse_exec(entry_value(entries.back().entry, "Exec"), "/w/page one.html", args);
    std::string output;
    EXPECT_EQ(run_program(args, "/", output), 0);
    EXPECT_EQ(output, "program /w/page one.html\n");
}

// "Open With" lists read a cache of the applications folder: it is refreshed
// after installing and after removing, and a folder left without entries
// keeps no cache.
TEST_F(SetupInstall, OpenWithCacheIsRefreshedAfterInstallAndRemoval) {
    const std::string calls = env.root() + "/calls";
    make_folder(env.root() + "/bin");
    write_text(
        env.root() + "/bin/update-desktop-database",
        "#!/bin/sh\necho \"$@\" >> '" + calls + "'\necho '[MIME Cache]' > \"$2/mimeinfo.cache\"\n",
        0755);
    env.put_first_on_path(env.root() + "/bin");
    const std::string cache = env.applications() + "/mimeinfo.cache";
    const std::string refreshed = "-q " + env.applications() + "\n";
    const std::string mine = env.applications() + "/mine.desktop";
    write_text(mine, "[Desktop Entry]\n");
    for (const bool others_stay : {true, false}) {
        if (!others_stay) std::remove(mine.c_str());
        std::remove(calls.c_str());
        ASSERT_TRUE(install(env.root() + "/inst")) << message;
        // Refreshed once the new entry is there, and at the end.
        EXPECT_EQ(read_text(calls), refreshed + refreshed);
        uninstaller remover(store);
        ASSERT_TRUE(remover.load());
        ASSERT_TRUE(remover.run()) << remover.message();
        EXPECT_EQ(read_text(calls),
                  others_stay ? refreshed + refreshed + refreshed : refreshed + refreshed);
        EXPECT_EQ(exists(cache), others_stay);
    }
}

// Installing never changes which program opens HTML pages, whether the user
// chose one, the desktop picks the system's browser, or nothing opens them
// (then the entry is left out, as it would become that program); the entry
// is in the "Open With" choices; removal gives every answer back.
TEST_F(SetupInstall, ProgramForHtmlPagesStaysTheSame) {
    for (const char* tool : {"xdg-mime", "gio", "update-desktop-database"})
        if (!has_program(tool)) GTEST_SKIP() << tool << " is missing";
    const std::string list = env.config() + "/mimeapps.list";
    const std::string other = env.system_applications() + "/other-browser.desktop";
    write_text(other, "[Desktop Entry]\nType=Application\nName=Other\nExec=true %u\n");
    const struct {
        const char* name;
        const char* configured;  // the user's mimeapps.list, or none
        bool browser;
    } cases[] = {
        {"configured",
         "[Added Associations]\nimage/png=x.desktop;\n\n[Default Applications]\n"
         "text/html=other-browser.desktop;\n",
         true},
        {"not configured", nullptr, true},
        {"other types configured", "[Default Applications]\nimage/png=other-browser.desktop;\n",
         true},
        {"no program at all", nullptr, false},
    };
    for (const auto& c : cases) {
        std::remove(list.c_str());
        if (c.configured) write_text(list, c.configured);
        if (!c.browser) env.remove_browser();
        const std::string settings_before = read_text(list);
        const std::string xdg = first_line("xdg-mime query default text/html");
        const std::string gio = first_line("gio mime text/html");
        ASSERT_TRUE(install(env.root() + "/inst")) << message;
        EXPECT_EQ(first_line("xdg-mime query default text/html"), xdg) << c.name;
        EXPECT_EQ(first_line("gio mime text/html"), gio) << c.name;
        const bool entry = exists(env.applications() + "/velt-orvane-create-toc.desktop");
        EXPECT_EQ(entry, c.browser) << c.name;
        std::string open_with;
        run_program({"/bin/sh", "-c", "gio mime text/html"}, "/", open_with);
        EXPECT_EQ(open_with.find("velt-orvane-create-toc.desktop") != std::string::npos, c.browser)
            << c.name << ": " << open_with;
        EXPECT_EQ(notes, c.browser
                             ? std::vector<std::string>{}
                             : std::vector<std::string>{std::string(setup_text::no_html_program)})
            << c.name;
        uninstaller remover(store);
        ASSERT_TRUE(remover.load());
        ASSERT_TRUE(remover.run()) << remover.message();
        EXPECT_EQ(read_text(list), settings_before) << c.name;
        EXPECT_EQ(first_line("xdg-mime query default text/html"), xdg) << c.name;
        EXPECT_EQ(first_line("gio mime text/html"), gio) << c.name;
    }
}

TEST(mime_default, DefaultIsWrittenOnlyWhereNoneIsNamed) {
    const struct {
        const char* before;
        const char* after;  // null: unchanged
    } cases[] = {
        {"", "[Default Applications]\ntext/html=b.desktop;\n"},
        {"[Added Associations]\ntext/html=c.desktop;\n",
         "[Added Associations]\ntext/html=c.desktop;\n[Default "
         "Applications]\ntext/html=b.desktop;\n"},
        {"[Default Applications]\nimage/png=x.desktop;\n\n[Removed Associations]\n",
         "[Default Applications]\nimage/png=x.desktop;\n\ntext/html=b.desktop;\n[Removed "
         "Associations]\n"},
        {"[Default Applications]\ntext/html=mine.desktop;\n", nullptr},
        {"[Default Applications]\ntext/html=\n", nullptr},
    };
    for (const auto& c : cases) {
        bool added = false;
        const std::string after = with_default(c.before, "text/html", "b.desktop", added);
        EXPECT_EQ(added, c.after != nullptr) << c.before;
        EXPECT_EQ(after, c.after ? c.after : c.before) << c.before;
        if (!added) continue;
        bool removed = false;
        EXPECT_EQ(without_default(after, "text/html=b.desktop;", removed), c.before);
        EXPECT_TRUE(removed);
    }
}

// The desktop icon goes into the folder xdg-user-dir names, made when
// missing; what cannot be made is said, and the installation goes on.
TEST_F(SetupInstall, DesktopFolderIsMadeOrTheReasonSaid) {
    ASSERT_EQ(rmdir(env.desktop().c_str()), 0);
    write_text(env.config() + "/user-dirs.dirs",
               "XDG_DESKTOP_DIR=\"$HOME/Arbeitsfl\xc3\xa4"
               "che\"\n");
    ASSERT_TRUE(install(env.root() + "/inst")) << message;
    const std::string made = env.home() +
                             "/Arbeitsfl\xc3\xa4"
                             "che";
    EXPECT_TRUE(exists(made + "/VELT Orvane 1.0b.desktop"));
    EXPECT_TRUE(notes.empty());

    write_text(env.home() + "/plain", "a file");
    write_text(env.config() + "/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/plain/Desktop\"\n");
    ASSERT_TRUE(install(env.root() + "/inst")) << message;
    EXPECT_EQ(notes, std::vector<std::string>{"Setup can't create the desktop folder: " +
                                              env.home() + "/plain/Desktop"});
    EXPECT_EQ(value_of(store, reg_root::hklm, setup_text::program_key, "desktop_icon"),
              made + "/VELT Orvane 1.0b.desktop");  // from the first installation
}

// The Debian package is seen by its files or by dpkg's own record.
TEST(DebianPackage, SeenByItsFilesOrByDpkg) {
    setup_test_env env;
    make_folder(env.root() + "/bin");
    write_text(env.root() + "/bin/dpkg-query", "#!/bin/sh\nprintf '%s' \"$STATE\"\n", 0755);
    env.put_first_on_path(env.root() + "/bin");
    const std::string root = env.root() + "/system";
    const struct {
        bool program;
        bool data;
        const char* state;
        std::string expected;
    } cases[] = {
        {true, true, "not-installed", root + "/usr/bin/vorn1"},
        {true, false, "not-installed", ""},  // a vorn1 of some other origin
        {false, false, "installed", "/usr/bin/vorn1"},
        {false, false, "config-files", ""},  // removed, not purged
        {false, false, "", ""},
    };
    for (const auto& c : cases) {
        std::system(("rm -rf '" + root + "'").c_str());
        make_folder(root + "/usr/bin");
        if (c.program) write_text(root + "/usr/bin/vorn1", "#!/bin/sh\n", 0755);
        if (c.data) make_folder(root + "/usr/share/orvane/vtdata");
        setenv("STATE", c.state, 1);
        EXPECT_EQ(debian_package_program(root), c.expected) << c.program << c.data << c.state;
    }
    unsetenv("STATE");
}

TEST_F(SetupInstall, FolderThatCannotBeMadeStopsEarly) {
    write_text(env.root() + "/a file", "x");
    EXPECT_FALSE(install(env.root() + "/a file/ORV1"));
    EXPECT_EQ(message, setup_text::no_folder);
    EXPECT_FALSE(store.key_exists(reg_root::hklm, setup_text::program_key));
}

TEST_F(SetupInstall, CopyingStoppedHalfwayCanStillBeRemoved) {
    std::string inst = env.root() + "/inst";
    make_folder(inst);
    write_text(inst + "/vtdata", "the user's file where a folder should go");
    EXPECT_FALSE(install(inst));
    EXPECT_EQ(message, setup_text::no_subfolder);
    EXPECT_TRUE(exists(inst + "/vorn1"));
    EXPECT_FALSE(exists(inst + "/setup"));

    uninstaller remover(store);
    ASSERT_TRUE(remover.load());
    ASSERT_TRUE(remover.run()) << remover.message();
    EXPECT_FALSE(exists(inst + "/vorn1"));
    EXPECT_FALSE(exists(inst + "/readme.txt"));
    EXPECT_EQ(read_text(inst + "/vtdata"), "the user's file where a folder should go");
    EXPECT_EQ(remover.kept(), std::vector<std::string>{inst});
}

TEST_F(SetupInstall, DamagedStoreStopsWithItsExplanation) {
    make_folder(env.config() + "/VELT");
    make_folder(env.registry());
    write_text(env.registry() + "/HKLM", "garbage\n");
    EXPECT_FALSE(install(env.root() + "/inst"));
    EXPECT_EQ(message, setup_text::registry_write);
    EXPECT_NE(detail.find("HKLM is damaged"), std::string::npos);
    EXPECT_EQ(read_text(env.registry() + "/HKLM"), "garbage\n");
}

TEST_F(SetupInstall, SpaceCheckUsesTheDeepestExistingFolder) {
    setup_install installer(store, distribution);
    EXPECT_TRUE(installer.check_space(env.root() + "/not/yet/there"));
    EXPECT_FALSE(installer.check_space("relative/path"));
    EXPECT_EQ(installer.message(), setup_text::drive_info);
}

TEST_F(SetupInstall, RemovalUndoesTheInstallation) {
    std::string before = snapshot(env.root());
    ASSERT_TRUE(install(env.root() + "/Programs/VELT/ORV1")) << message;
    // A second installation over the first records nothing twice.
    ASSERT_TRUE(install(env.root() + "/Programs/VELT/ORV1")) << message;
    uninstaller remover(store);
    ASSERT_TRUE(remover.load()) << remover.message();
    ASSERT_TRUE(remover.run()) << remover.message();
    EXPECT_TRUE(remover.kept().empty());
    EXPECT_EQ(snapshot(env.root()), before);
}

TEST_F(SetupInstall, RemovalKeepsWhatTheUserAdded) {
    std::string inst = env.root() + "/inst";
    ASSERT_TRUE(install(inst)) << message;
    write_text(inst + "/notes.txt", "mine");
    write_text(inst + "/vtdata/my_template.html", "mine too");
    write_text(env.applications() + "/other.desktop", "[Desktop Entry]\n");
    uninstaller remover(store);
    ASSERT_TRUE(remover.load());
    ASSERT_TRUE(remover.run()) << remover.message();
    EXPECT_EQ(read_text(inst + "/notes.txt"), "mine");
    EXPECT_EQ(read_text(inst + "/vtdata/my_template.html"), "mine too");
    EXPECT_TRUE(exists(env.applications() + "/other.desktop"));
    EXPECT_FALSE(exists(inst + "/vorn1"));
    EXPECT_FALSE(exists(inst + "/help"));
    EXPECT_EQ(remover.kept(), (std::vector<std::string>{inst + "/vtdata", inst}));
    EXPECT_FALSE(store.key_exists(reg_root::hklm, "Software"));
}

TEST_F(SetupInstall, RemovalIgnoresRecordsThatPointElsewhere) {
    std::string inst = env.root() + "/inst";
    ASSERT_TRUE(install(inst)) << message;
    std::string victim = env.root() + "/victim.txt";
    write_text(victim, "not ours");
    write_text(env.root() + "/other.desktop", "x");
    vthash tampered;
    tampered.set(vtval("files"),
                 vtval("vorn1\n../victim.txt\n/etc/passwd\nvtdata/../../victim.txt\n"));
    tampered.set(vtval("desktop_icon"), vtval(std::string_view(env.root() + "/other.desktop")));
    tampered.set(vtval("shell_entry"), vtval(std::string_view(victim)));
    ASSERT_TRUE(store.write_values(reg_root::hklm, setup_text::program_key, tampered));
    uninstaller remover(store);
    ASSERT_TRUE(remover.load());
    remover.run();
    EXPECT_EQ(read_text(victim), "not ours");
    EXPECT_TRUE(exists(env.root() + "/other.desktop"));
    EXPECT_FALSE(exists(inst + "/vorn1"));
}

TEST_F(SetupInstall, RemovalReportsMissingOrDamagedRecords) {
    uninstaller nothing(store);
    EXPECT_FALSE(nothing.load());
    EXPECT_EQ(nothing.message(), "Orvane 1.0b is not installed.");

    ASSERT_TRUE(install(env.root() + "/inst")) << message;
    std::string hklm = read_text(env.registry() + "/HKLM");
    write_text(env.registry() + "/HKLM", hklm + "broken line\n");
    uninstaller damaged(store);
    EXPECT_FALSE(damaged.load());
    EXPECT_NE(damaged.message().find("is damaged"), std::string::npos);
    EXPECT_TRUE(exists(env.root() + "/inst/vorn1"));
}

}  // namespace
