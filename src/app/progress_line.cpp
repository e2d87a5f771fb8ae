#include "app/progress_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "app/terminal_text.h"
#include "files/temp_registry.h"

namespace {

// Columns of the line now on the terminal (0: none), for a termination
// signal: the handler blanks it, so that the shell's prompt does not come
// after a stale line.
std::atomic<size_t> g_shown_columns{0};

void put(std::string_view bytes) {
    const ssize_t written = ::write(STDERR_FILENO, bytes.data(), bytes.size());
    (void)written;
}

// Async-signal-safe: atomics and write only.
void blank_shown_line() {
    static constexpr std::string_view spaces = "                                ";
    size_t left = g_shown_columns.load();
    if (left == 0) return;
    put("\r");
    for (; left > 0; left -= std::min(left, spaces.size())) put(spaces.substr(0, left));
    put("\r");
}

}  // namespace

progress_line::progress_line(std::string_view verb, int columns, clock_fn clock, write_fn write)
    : verb_(verb),
      columns_(columns > 0 ? columns : 80),
      clock_(std::move(clock)),
      write_(std::move(write)),
      start_(clock_()) {}

std::string progress_line::text() const {
    std::string head = verb_ + " " + std::to_string(begun_ > 0 ? begun_ - 1 : 0);
    if (total_ > 0) {
        head.push_back('/');
        head += std::to_string(total_);
    }
    head += ": ";
    // The last column stays free: writing into it wraps on some terminals.
    const size_t room = static_cast<size_t>(columns_ - 1);
    if (head.size() >= room) return head.substr(0, room);
    return head + tail_in_columns(printable_name(current_), room - head.size());
}

void progress_line::page(std::string_view path) {
    // The run's last phase (an empty path) reads no file.
    if (path.empty()) return tick();
    ++begun_;
    current_ = path;
    tick();
}

void progress_line::tick() {
    const int64_t now = clock_();
    if (now - start_ < quiet_ms || (drawn_width_ && now - drawn_at_ < redraw_ms)) return;
    const std::string line = text();
    const size_t width = display_columns(line);
    // Blanks over what a longer line before left on screen.
    std::string out(1, '\r');
    out += line;
    if (drawn_width_ > width) out.append(drawn_width_ - width, ' ');
    write_(out);
    drawn_at_ = now;
    drawn_width_ = std::max<size_t>(width, 1);
}

void progress_line::finish() {
    if (!drawn_width_) return;
    std::string blank(1, '\r');
    blank.append(drawn_width_, ' ');
    blank.push_back('\r');
    write_(blank);
    drawn_width_ = 0;
}

void progress_line::on_page(std::string_view path, void* self) {
    static_cast<progress_line*>(self)->page(path);
}

void progress_line::on_progress(int, void* self) {
    static_cast<progress_line*>(self)->tick();
}

std::unique_ptr<progress_line> progress_line::for_terminal(std::string_view verb) {
    if (!isatty(STDERR_FILENO)) return nullptr;
    temp_registry_on_termination(blank_shown_line);
    winsize size{};
    const int columns = ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
    return std::make_unique<progress_line>(
        verb, columns,
        [] {
            using namespace std::chrono;
            return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        },
        [](std::string_view bytes) {
            // A drawn line ends with its text or blanks, an erased one with
            // the carriage return that brings the cursor back. Noted before
            // the write, so that a signal right after it sees the line.
            g_shown_columns.store(bytes.ends_with('\r') ? 0 : display_columns(bytes) - 1);
            put(bytes);
        });
}

void tell_waiting_for(std::string_view shown) {
    blank_shown_line();
    put("Waiting for " + printable_name(shown) + ", held by another program\u2026\n");
}
