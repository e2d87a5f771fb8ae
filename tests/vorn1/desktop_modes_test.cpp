// The modes with windows when there is no display to open: a clear message
// and exit code 1, never the toolkit's abort.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QByteArray>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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

}  // namespace
