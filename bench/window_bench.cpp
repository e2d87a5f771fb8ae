// window_bench: the same build from the window and from batch mode, side by
// side, and how long a click waits in the window meanwhile. Run it on a
// display (xvfb-run works), as the window paints there:
//
//   xvfb-run -a window_bench --bin <build-folder> [--runs 3] [--work <folder>]
//
// Two generated sites: 30 pages of 2.9 MB and 2,000 pages of 4 KB, each page
// entering its h1 headings into one destination page. Every run works on a
// fresh copy (synced before the clock starts): `vorn1 -command project.txt`
// in a child process, then the window's Build TOC command (project opened
// through the window, the build timed from the command to its end, the
// window's event loop running). During the window's build another thread
// clicks the status line every 10 ms (mouse presses posted to the window's
// queue); each click's wait is the time from its posting to its handling.
// The table shows the median wall times, their ratio (the target: at most
// 1.2) and the clicks' median, 99th percentile and longest wait.
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "desktop/dialogs.h"
#include "gui/TveltORV1.h"
#include "gui/program_paths.h"
#include "gui/shell_launcher.h"
#include "site_generator.h"

namespace fs = std::filesystem;

namespace {

// Opens the project it is given; answers nothing else.
class project_dialogs : public dialogs {
  public:
    explicit project_dialogs(QString project) : project_(std::move(project)) {}
    void message(QWidget*, QMessageBox::Icon, const QString& text, const QString&) override {
        std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
    }
    bool question(QWidget*, const QString&, QMessageBox::StandardButton) override { return false; }
    save_answer ask_save(QWidget*, const QString&) override { return save_answer::discard; }
    QStringList choose_files(QWidget*, const file_request&) override { return {project_}; }
    QString choose_folder(QWidget*, const QString&, const QString&) override { return {}; }
    void show_modal(QDialog&) override {}

  private:
    QString project_;
};

class quiet_shell : public shell_launcher {
  public:
    bool open(const QString&, const QString&) override { return true; }
    bool edit(const QString&) override { return true; }
    bool can_open() const override { return true; }
    void beep() override {}
};

struct site {
    std::string name;
    std::string folder;
    int pages = 0;
};

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string tagged(const std::string& key, const std::string& value) {
    return "<" + key + ">" + value + "</" + key + ">\r\n";
}

site make_site(const std::string& work, int pages, size_t bytes, const std::string& templates) {
    site s;
    s.name = std::to_string(pages) + " pages of " + std::to_string(bytes / 1000) + " KB";
    s.folder = work + "/site-" + std::to_string(pages) + "-" + std::to_string(bytes);
    s.pages = pages;
    if (!fs::exists(s.folder + "/index.html")) {
        fs::create_directories(s.folder);
        generate_site(s.folder, pages, bytes, 7);
    }
    {
        // Written each time: it names the templates of this build.
        std::ofstream p(s.folder + "/project.txt", std::ios::binary);
        p << tagged("is_single", "0") << tagged("destination", "orvane-toc.html")
          << tagged("range_from", "1") << tagged("range_to", "1")
          << tagged("template_file", templates + "/nested_list.html");
        for (int i = 0; i < pages; ++i) p << tagged("source", site_page_name(i));
    }
    return s;
}

void fresh_copy(const site& s, const std::string& to) {
    fs::remove_all(to);
    fs::copy(s.folder, to, fs::copy_options::recursive);
    sync();
}

double batch_build(const std::string& vorn1, const std::string& folder) {
    std::fflush(stdout);  // the child must not write our buffer again
    const double start = now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0 || !freopen("/dev/null", "w", stdout)) _exit(127);
        execl(vorn1.c_str(), vorn1.c_str(), "-command", "project.txt", nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::fprintf(stderr, "batch failed\n");
    return now() - start;
}

// Clicks a widget from another thread at a steady pace and notes how long
// each click waited in the window's queue.
class clicker : public QObject {
  public:
    explicit clicker(QWidget* target) : target_(target) { target_->installEventFilter(this); }
    ~clicker() override { stop(); }

    void start() {
        running_ = true;
        thread_ = std::thread([this] {
            while (running_) {
                auto* press =
                    new QMouseEvent(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2),
                                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                {
                    std::lock_guard lock(mutex_);
                    posted_[press] = now();
                }
                QCoreApplication::postEvent(target_, press);
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    }
    void stop() {
        running_ = false;
        if (thread_.joinable()) thread_.join();
    }
    std::vector<double> waits;  // seconds

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress) return false;
        std::lock_guard lock(mutex_);
        const auto it = posted_.find(event);
        if (it != posted_.end()) {
            waits.push_back(now() - it->second);
            posted_.erase(it);
        }
        return false;
    }

  private:
    QWidget* target_;
    std::atomic<bool> running_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::unordered_map<const QEvent*, double> posted_;
};

double window_build(const program_paths& paths, const std::string& folder,
                    std::vector<double>& waits) {
    project_dialogs answers(QString::fromStdString(folder + "/project.txt"));
    quiet_shell shell;
    TveltORV1 window(paths, answers, shell);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) std::fprintf(stderr, "window not shown\n");
    // The site's folder is the current one, as for the batch run.
    const QString started_in = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(folder));
    window.OpenProject1Click();
    QApplication::processEvents();
    clicker clicks(window.findChild<QLabel*>(QStringLiteral("StatusLabel")));
    QEventLoop loop;
    QObject::connect(&window, &TveltORV1::run_finished, &loop, &QEventLoop::quit);
    clicks.start();
    const double start = now();
    window.ResultFile1Click();
    if (window.running()) loop.exec();
    const double seconds = now() - start;
    clicks.stop();
    QApplication::processEvents();
    waits.insert(waits.end(), clicks.waits.begin(), clicks.waits.end());
    const QString status = window.findChild<QLabel*>(QStringLiteral("StatusLabel"))->text();
    if (status != QLatin1String("HTML TOC has been created"))
        std::fprintf(stderr, "window build: %s\n", status.toLocal8Bit().constData());
    window.close();
    QDir::setCurrent(started_in);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    std::string bin = ".";
    std::string work = "/tmp/orvane-window-bench";
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--bin") bin = argv[i + 1];
        if (flag == "--work") work = argv[i + 1];
        if (flag == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
    }
    bin = fs::absolute(bin).string();
    // The window's settings and lock stay out of the user's own.
    const std::string config = work + "/config";
    const std::string runtime = work + "/runtime";
    fs::create_directories(config);
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    QApplication app(argc, argv);
    const program_paths paths = program_paths::locate(QString::fromStdString(bin));
    const std::string templates = bin + "/vtdata";

    std::printf("%-22s %10s %10s %7s %10s %10s %10s\n", "site", "batch s", "window s", "ratio",
                "click ms", "p99 ms", "max ms");
    for (const auto& [pages, bytes] : {std::pair<int, size_t>{30, 2900000}, {2000, 4000}}) {
        const site s = make_site(work, pages, bytes, templates);
        const std::string copy = work + "/run";
        std::vector<double> batch, window, waits;
        for (int run = 0; run < runs; ++run) {
            fresh_copy(s, copy);
            batch.push_back(batch_build(bin + "/vorn1", copy));
            fresh_copy(s, copy);
            window.push_back(window_build(paths, copy, waits));
        }
        const double b = median(batch);
        const double w = median(window);
        std::sort(waits.begin(), waits.end());
        const double p99 = waits.empty() ? 0 : waits[waits.size() * 99 / 100];
        std::printf("%-22s %10.2f %10.2f %7.2f %10.2f %10.2f %10.2f\n", s.name.c_str(), b, w, w / b,
                    waits.empty() ? 0 : median(waits) * 1000, p99 * 1000,
                    waits.empty() ? 0 : waits.back() * 1000);
        std::fflush(stdout);
        fs::remove_all(copy);
    }
    return 0;
}
