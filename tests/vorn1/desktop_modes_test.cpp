// The modes with windows when there is no display to open: a clear message
// and exit code 1, never the toolkit's abort.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QByteArray>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/desktop_handoff.h"
#include "app/program_entry.h"
#include "files/vtfile.h"
#include "support/run_program.h"
#include "support/temp_folder.h"
#include "vorn1/desktop_modes.h"

namespace {

// Sets an environment variable for one scope.
class scoped_env {
  public:
    scoped_env(const char* name, const QByteArray& value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~scoped_env() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

  private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

TEST(window_mode, WithoutDisplayTellsAboutBatchModeAndFails) {
    scoped_env display("DISPLAY", QByteArray());
    scoped_env wayland("WAYLAND_DISPLAY", QByteArray());
    scoped_env platform("QT_QPA_PLATFORM", QByteArray());
    char name[] = "vorn1";
    char* argv[] = {name, nullptr};
    testing::internal::CaptureStderr();
    EXPECT_EQ(run_window(1, argv, ""), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "no display: use -command project_filename for a batch build\n");
}

// An X display number nobody serves here.
std::string unserved_display() {
    int number = 4711;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) ++number;
    return ":" + std::to_string(number);
}

// A display that is named but cannot be opened ends each program as having
// no display does: the same message, exit code 1, nothing on standard output.
TEST(desktop_modes, UnreachableDisplayIsReportedLikeNoDisplay) {
    temp_folder folder;
    const std::string setup = folder.file("setup");
    std::filesystem::copy_file(vorn1_path(), setup);
    std::filesystem::copy_file(vorn1_path() + "-desktop", folder.file("vorn1-desktop"));
    const std::string runtime = folder.file("run");
    mkdir(runtime.c_str(), 0700);
    const std::vector<std::string> base = {"QT_QPA_PLATFORM=", "XDG_RUNTIME_DIR=" + runtime};
    const std::string x11 = "DISPLAY=" + unserved_display();
    const std::string wayland = "WAYLAND_DISPLAY=orvane-no-such-display";
    const std::string remove = std::string(ORVANE_BUILD_DIR) + "/remove";
    for (const std::string& program : {vorn1_path(), setup, remove}) {
        const program_result without = run_program(program, {}, folder.path(), base);
        EXPECT_EQ(without.status, 1) << program;
        EXPECT_NE(without.err.find("no display"), std::string::npos) << without.err;
        for (const std::string& display : {x11, wayland}) {
            std::vector<std::string> env = base;
            env.push_back(display);
            const program_result named = run_program(program, {}, folder.path(), env);
            EXPECT_EQ(named.status, 1) << program << " " << display;
            EXPECT_EQ(named.err, without.err) << program << " " << display;
            EXPECT_EQ(named.out, "") << program << " " << display;
        }
    }
}

// vorn1 becomes the desktop program for a window: the one beside it (a build
// tree, a program folder) or in ../lib/orvane/ (an FHS install). Without one
// it says the window is not part of the build. The message of the desktop
// program ("no display") shows that it ran.
TEST(desktop_handoff, WindowModesRunTheDesktopProgramWhereverItIsInstalled) {
    namespace fs = std::filesystem;
    const struct {
        const char* desktop;  // where the desktop program goes, or nullptr
        const char* program;  // the copy of vorn1 started
        const char* err;
    } cases[] = {
        {"bin/vorn1-desktop", "bin/vorn1",
         "no display: use -command project_filename for a "
         "batch build\n"},
        {"lib/orvane/vorn1-desktop", "bin/vorn1",
         "no display: use -command project_filename for a batch build\n"},
        {"dist/vorn1-desktop", "dist/setup",
         "setup: no display: the installer needs a desktop "
         "session\n"},
        {nullptr, "bin/vorn1",
         "vorn1: the main window is not part of this build; use -command project_filename\n"},
        {nullptr, "dist/setup", "setup: the installer is not part of this build\n"},
        {"lib/vorn1-desktop", "bin/vorn1",
         "vorn1: the main window is not part of this build; use -command project_filename\n"},
    };
    for (const auto& c : cases) {
        temp_folder folder;
        for (const char* sub : {"bin", "dist", "lib/orvane"})
            fs::create_directories(folder.file(sub));
        fs::copy_file(vorn1_path(), folder.file(c.program));
        if (c.desktop) fs::copy_file(vorn1_path() + "-desktop", folder.file(c.desktop));
        const program_result r =
            run_program(folder.file(c.program), {}, folder.path(), {"QT_QPA_PLATFORM="});
        EXPECT_EQ(r.status, 1) << c.program << " with " << (c.desktop ? c.desktop : "none");
        EXPECT_EQ(r.err, c.err) << c.program << " with " << (c.desktop ? c.desktop : "none");
    }
}

// Batch runs load no window toolkit: that is what makes them start fast.
TEST(desktop_handoff, BatchModeLoadsNoToolkit) {
    const program_result r = run_program(vorn1_path(), {"--help"}, "", {"LD_DEBUG=libs"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("libc.so"), std::string::npos) << "LD_DEBUG shows no libraries";
    EXPECT_EQ(r.err.find("libQt"), std::string::npos);
}

// The desktop program takes vorn1's path as its own: its name chooses the
// mode when the program was started without one, its folder holds the data
// and the installer's files. Nothing it starts inherits the path.
TEST(desktop_handoff, DesktopProgramStandsInForVorn1) {
    setenv("ORVANE_PROGRAM", "/opt/orvane/bin/setup", 1);
    take_front_path();
    EXPECT_EQ(getenv("ORVANE_PROGRAM"), nullptr);
    EXPECT_EQ(vtfile_program_folder().str(), "/opt/orvane/bin/");
    char empty[] = "";
    char* argv[] = {empty, nullptr};
    EXPECT_EQ(plan_process(1, argv).mode, entry_mode::installer);
    vtfile_set_exe_path("");
    EXPECT_NE(vtfile_program_folder().str(), "/opt/orvane/bin/");
}

}  // namespace
