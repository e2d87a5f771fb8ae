// The progress line of long batch runs: drawn only on a terminal, only after
// a second, a few times a second, erased at the end.
#include "app/progress_line.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>

#include "support/lock_waiters.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace {

struct fake_terminal {
    int64_t now = 0;
    std::string screen;
    progress_line line;
    explicit fake_terminal(int columns = 60)
        : line(
              "Building", columns, [this] { return now; },
              [this](std::string_view s) { screen += s; }) {}
    // What was written since the last look.
    std::string take() { return std::exchange(screen, {}); }
};

// A site of three pages, the second (second_page) held by the test as
// another run's rewrite in place holds it (locked, its backup beside it) so
// that a build waits for it as long as the test wants.
struct slow_site {
    temp_folder dir;
    int lock = -1;
    explicit slow_site(const std::string& second_page = "b.html") {
        for (const std::string& page : {std::string("a.html"), second_page, std::string("c.html")})
            dir.write(page, "<h1>x</h1>\n");
        dir.write("t.tpl", "<!--#for var=\"item\"-->.<!--#endfor-->");
        dir.write("p.txt",
                  "<is_single>0</is_single><destination>index.html</destination>"
                  "<source>a.html</source><source>" +
                      second_page +
                      "</source><source>c.html</source>"
                      "<template_file>t.tpl</template_file>");
        lock = hold(second_page);
    }
    int hold(const std::string& page) {
        plant_rewrite_backup(dir.file(page));
        const int fd = open(dir.file(page).c_str(), O_RDONLY | O_CLOEXEC);
        flock(fd, LOCK_EX);
        return fd;
    }
    // Lets the build go on once it has waited for the locked page for the
    // given time, however long the program took to get there.
    std::thread release_after(std::chrono::milliseconds wait) {
        return std::thread([this, wait] {
            struct stat st {};
            fstat(lock, &st);
            someone_waits_for({st.st_ino});
            std::this_thread::sleep_for(wait);
            close(lock);
        });
    }
};

constexpr std::string_view kBuilt = "Orvane 1.0b\r\nBuild is complete.\r\n";

}  // namespace

TEST(progress_line, QuietFirstThenRedrawnInPlaceThenErased) {
    fake_terminal t;
    t.line.set_total(3);
    t.line.page("a.html");
    t.now = 999;
    t.line.tick();
    EXPECT_EQ(t.take(), "");  // nothing within the first second
    t.now = 1000;
    t.line.page("docs/chapter.html");
    EXPECT_EQ(t.take(), "\rBuilding 1/3: docs/chapter.html");
    t.now = 1249;
    t.line.page("b.html");
    EXPECT_EQ(t.take(), "");  // at most four times a second
    t.now = 1250;
    t.line.tick();
    // A shorter line blanks what the longer one left.
    EXPECT_EQ(t.take(), "\rBuilding 2/3: b.html" + std::string(11, ' '));
    t.line.finish();
    EXPECT_EQ(t.take(), "\r" + std::string(20, ' ') + "\r");
    t.line.finish();
    EXPECT_EQ(t.take(), "");

    fake_terminal quiet;
    quiet.line.page("a.html");
    quiet.line.finish();
    EXPECT_EQ(quiet.take(), "");  // a short run leaves the terminal alone
}

TEST(progress_line, LongOrOddPathsStayOnOneLine) {
    fake_terminal t(30);
    t.now = 5000;
    t.line.set_total(12);
    // 29 columns at most: the path's end, control bytes shown as '?', UTF-8
    // characters whole.
    t.line.page("very/long/folder/\xC3\xA9t\xC3\xA9\n\x1b[2J.html");
    EXPECT_EQ(t.take(), "\rBuilding 0/12: ...\xC3\xA9??[2J.html");
}

// Whatever a file name holds, the line carries no byte a terminal acts on:
// C0 and C1 controls, a raw CSI byte, broken UTF-8, bidirectional
// overrides and isolates. Letters of any script stay.
TEST(progress_line, NamesNeverCarryTerminalControls) {
    const struct {
        std::string name;
        std::string shown;
    } cases[] = {
        {"a\x1b]0;title\x07.html", "a?]0;title?.html"},
        {"csi\xC2\x9B"
         "2J.html",
         "csi?2J.html"},  // U+009B
        {"raw\x9B"
         "2J.html",
         "raw?2J.html"},                                      // 0x9B alone
        {"nel\xC2\x85x.html", "nel?x.html"},                  // U+0085
        {"rlo\xE2\x80\xAEmth.exe.html", "rlo?mth.exe.html"},  // U+202E
        {"\xE2\x81\xA6"
         "iso\xE2\x81\xA9.html",
         "?iso?.html"},                         // U+2066, U+2069
        {"lrm\xE2\x80\x8F.html", "lrm?.html"},  // U+200F
        {"ls\xE2\x80\xA8.html", "ls?.html"},    // U+2028
        {"overlong\xC0\xAF\xE0\x80\xAF.html", "overlong?????.html"},
        {"cut\xE6\x97", "cut??"},
        {"caf\xC3\xA9 \xD0\xB4\xD0\xBE\xD0\xBC \xE6\x97\xA5.html",
         "caf\xC3\xA9 \xD0\xB4\xD0\xBE\xD0\xBC \xE6\x97\xA5.html"},
    };
    for (const auto& c : cases) {
        fake_terminal t(200);
        t.now = 5000;
        t.line.page(c.name);
        EXPECT_EQ(t.take(), "\rBuilding 0: " + c.shown) << c.shown;
    }
}

// Wide characters take two columns: a name of them is cut to the room
// there is, and the next, shorter line blanks all that was on screen.
TEST(progress_line, WideCharactersCountTwoColumns) {
    const std::string hon = "\xE6\x9C\xAC", nihon = "\xE6\x97\xA5" + hon;
    fake_terminal t(30);
    t.now = 5000;
    t.line.set_total(3);
    // "Building 0/3: " takes 14 of the 29 columns: 15 are left for "...",
    // ".html" and three wide characters (14 columns); a fourth would not fit.
    t.line.page(nihon + nihon + nihon + ".html");
    EXPECT_EQ(t.take(), "\rBuilding 0/3: ..." + hon + nihon + ".html");
    t.now = 6000;
    t.line.page("b.html");
    EXPECT_EQ(t.take(), "\rBuilding 1/3: b.html" + std::string(8, ' '));
}

// vorn1 --jobs N -command p.txt in the site's folder with standard error on
// a pseudo-terminal and the report on a pipe.
struct terminal_run {
    pid_t pid = -1;
    int terminal = -1;
    int report = -1;
    explicit terminal_run(const std::string& folder, const char* jobs = "1") {
        int out[2];
        if (pipe(out) != 0) return;
        pid = forkpty(&terminal, nullptr, nullptr, nullptr);
        if (pid == 0) {
            dup2(out[1], 1);
            if (chdir(folder.c_str()) != 0) _exit(127);
            execl(vorn1_path().c_str(), "vorn1", "--jobs", jobs, "-command", "p.txt", nullptr);
            _exit(127);
        }
        close(out[1]);
        report = out[0];
    }
    // Reads the terminal until it holds text, or until it ends (EIO) once
    // the program has closed it.
    std::string read_terminal(std::string_view text = {}) {
        std::string screen;
        char buf[4096];
        for (ssize_t n; (text.empty() || screen.find(text) == std::string::npos) &&
                        (n = read(terminal, buf, sizeof buf)) > 0;)
            screen.append(buf, n);
        return screen;
    }
    std::string read_report() {
        std::string out;
        char buf[4096];
        for (ssize_t n; (n = read(report, buf, sizeof buf)) > 0;) out.append(buf, n);
        return out;
    }
    int wait() {
        int status = 0;
        waitpid(pid, &status, 0);
        close(report);
        close(terminal);
        return status;
    }
};

// The test holds the page as another program would: the run says that it
// waits, on a line of its own before the progress line. The screen after
// that line.
std::string after_waiting(const std::string& screen, const std::string& shown) {
    const std::string told = "Waiting for " + shown + ", held by another program\xE2\x80\xA6\r\n";
    EXPECT_TRUE(screen.starts_with(told)) << screen;
    return screen.starts_with(told) ? screen.substr(told.size()) : screen;
}

// The last thing on the terminal blanks the line.
void expect_blanked_at_the_end(const std::string& screen) {
    ASSERT_GE(screen.size(), 2u);
    const size_t last = screen.rfind('\r', screen.size() - 2);
    EXPECT_EQ(screen.substr(last), "\r" + std::string(screen.size() - last - 2, ' ') + "\r");
}

// The page waited for is the one the line names, whatever the threads.
TEST(progress_line, LongBuildOnATerminalShowsAndErasesItsLine) {
    for (const char* jobs : {"1", "3"}) {
        slow_site site;
        terminal_run run(site.dir.path(), jobs);
        ASSERT_GT(run.pid, 0);
        std::thread release = site.release_after(std::chrono::milliseconds(1300));
        const std::string report = run.read_report();
        const std::string screen = after_waiting(run.read_terminal(), "b.html");
        run.wait();
        release.join();
        EXPECT_EQ(report, kBuilt) << jobs;
        ASSERT_TRUE(screen.starts_with("\rBuilding 1/4: b.html")) << jobs << screen;
        EXPECT_EQ(screen.find('\n'), std::string::npos) << jobs;
        expect_blanked_at_the_end(screen);
    }
}

// Interrupted while its line shows, the run takes the line with it.
TEST(progress_line, TerminationSignalBlanksTheLine) {
    slow_site site;
    // The build then waits at the third page, its line on the terminal.
    const int third = site.hold("c.html");
    terminal_run run(site.dir.path());
    ASSERT_GT(run.pid, 0);
    std::thread release = site.release_after(std::chrono::milliseconds(1300));
    std::string screen = run.read_terminal("Building 1/4: b.html");
    kill(run.pid, SIGTERM);
    screen = after_waiting(screen + run.read_terminal(), "b.html");
    EXPECT_EQ(run.read_report(), "");
    const int status = run.wait();
    release.join();
    close(third);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;
    ASSERT_TRUE(screen.starts_with("\rBuilding 1/4: b.html")) << screen;
    expect_blanked_at_the_end(screen);
}

// A page whose name holds escape sequences, C1 controls and a right-to-left
// override shows on the terminal with '?' for each of them.
TEST(progress_line, HostileNameReachesTheTerminalDefused) {
    const std::string hostile =
        "\xE2\x80\xAE"
        "b\x1b[31m\xC2\x9B"
        "2J\x9B"
        "K\xE6\x97\xA5.html";
    slow_site site(hostile);
    terminal_run run(site.dir.path());
    ASSERT_GT(run.pid, 0);
    std::thread release = site.release_after(std::chrono::milliseconds(1300));
    const std::string report = run.read_report();
    const std::string screen = after_waiting(run.read_terminal(), "?b?[31m?2J?K\xE6\x97\xA5.html");
    run.wait();
    release.join();
    EXPECT_EQ(report, kBuilt);
    ASSERT_TRUE(screen.starts_with("\rBuilding 1/4: ?b?[31m?2J?K\xE6\x97\xA5.html")) << screen;
    for (const std::string_view bad : {"\x1b", "\x9B", "\xE2\x80\xAE", "\n"})
        EXPECT_EQ(screen.find(bad), std::string::npos) << screen;
    expect_blanked_at_the_end(screen);
}

TEST(progress_line, RedirectedStandardErrorStaysEmpty) {
    slow_site site;
    std::thread release = site.release_after(std::chrono::milliseconds(1300));
    const auto start = std::chrono::steady_clock::now();
    program_result r = run_program(vorn1_path(), {"-command", "p.txt"}, site.dir.path());
    release.join();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1200));
    EXPECT_EQ(r.out, kBuilt);
    // No progress line; only the wait for the held page is told.
    EXPECT_EQ(r.err, "Waiting for b.html, held by another program\xE2\x80\xA6\n");
}
