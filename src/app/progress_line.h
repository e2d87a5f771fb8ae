// progress_line: one line on a terminal's standard error that follows a long
// batch run: the files done, their total and the file at hand, redrawn in
// place (carriage return) a few times a second and erased at the end.
//
// Nothing is drawn during the first second, so short runs (nearly all of
// them) leave the terminal as it was; and nothing at all when standard error
// is not a terminal, so logs and pipes see only the report on standard
// output.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class progress_line {
  public:
    // Milliseconds since some fixed moment.
    using clock_fn = std::function<int64_t()>;
    // Puts bytes on the terminal.
    using write_fn = std::function<void(std::string_view)>;

    // Quiet for the first quiet_ms after construction, then drawn at most
    // once per redraw_ms.
    static constexpr int64_t quiet_ms = 1000;
    static constexpr int64_t redraw_ms = 250;

    // verb begins the line ("Building"); columns is the terminal's width.
    progress_line(std::string_view verb, int columns, clock_fn clock, write_fn write);

    // The number of files the run reads.
    void set_total(int32_t total) { total_ = total; }
    // A file begins; the files before it are done.
    void page(std::string_view path);
    // The run moved on: the line is drawn when it is due.
    void tick();
    // Erases the line if it was drawn.
    void finish();

    // The engine's callbacks, context being a progress_line.
    static void on_page(std::string_view path, void* self);
    static void on_progress(int percent, void* self);

    // A line on standard error when that is a terminal, else none.
    static std::unique_ptr<progress_line> for_terminal(std::string_view verb);

  private:
    std::string text() const;

    std::string verb_;
    int columns_;
    clock_fn clock_;
    write_fn write_;
    int64_t start_;
    int64_t drawn_at_ = 0;
    size_t drawn_width_ = 0;  // columns of the line on screen; 0: none
    int32_t total_ = 0;
    int32_t begun_ = 0;
    std::string current_;
};

// Says on standard error that the run waits for the file named shown, held
// by another program: the line drawn is blanked first, the name shown as
// the line shows names.
void tell_waiting_for(std::string_view shown);
