// The progress line of long batch runs: drawn only on a terminal, only after
// a second, a few times a second, erased at the end.
#include "app/progress_line.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

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

// A site of three pages, the second locked by the test so that a build
// waits for it as long as the test wants.
struct slow_site {
    temp_folder dir;
    int lock = -1;
    slow_site() {
        for (const char* page : {"a.html", "b.html", "c.html"}) dir.write(page, "<h1>x</h1>\n");
        dir.write("t.tpl", "<!--#for var=\"item\"-->.<!--#endfor-->");
        dir.write("p.txt",
                  "<is_single>0</is_single><destination>index.html</destination>"
                  "<source>a.html</source><source>b.html</source><source>c.html</source>"
                  "<template_file>t.tpl</template_file>");
        lock = open(dir.file("b.html").c_str(), O_RDONLY | O_CLOEXEC);
        flock(lock, LOCK_EX);
    }
    // Lets the build go on after the given time.
    std::thread release_after(std::chrono::milliseconds wait) {
        return std::thread([this, wait] {
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

TEST(progress_line, LongBuildOnATerminalShowsAndErasesItsLine) {
    slow_site site;
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // Standard error stays on the terminal; the report goes to a pipe.
        dup2(out[1], 1);
        if (chdir(site.dir.path().c_str()) != 0) _exit(127);
        execl(vorn1_path().c_str(), "vorn1", "-command", "p.txt", nullptr);
        _exit(127);
    }
    close(out[1]);
    std::thread release = site.release_after(std::chrono::milliseconds(1300));
    std::string report, screen;
    char buf[4096];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) report.append(buf, n);
    // The terminal ends (EIO) once the program has closed it.
    for (ssize_t n; (n = read(terminal, buf, sizeof buf)) > 0;) screen.append(buf, n);
    int status = 0;
    waitpid(pid, &status, 0);
    release.join();
    close(out[0]);
    close(terminal);
    EXPECT_EQ(report, kBuilt);
    ASSERT_TRUE(screen.starts_with("\rBuilding 1/4: b.html")) << screen;
    EXPECT_EQ(screen.find('\n'), std::string::npos);
    // The last thing on the terminal blanks the line.
    const size_t last = screen.rfind('\r', screen.size() - 2);
    EXPECT_EQ(screen.substr(last), "\r" + std::string(screen.size() - last - 2, ' ') + "\r");
}

TEST(progress_line, RedirectedStandardErrorStaysEmpty) {
    slow_site site;
    std::thread release = site.release_after(std::chrono::milliseconds(1300));
    const auto start = std::chrono::steady_clock::now();
    program_result r = run_program(vorn1_path(), {"-command", "p.txt"}, site.dir.path());
    release.join();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1200));
    EXPECT_EQ(r.out, kBuilt);
    EXPECT_EQ(r.err, "");
}
