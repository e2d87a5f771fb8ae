#include "files/lock_wait.h"

#include <signal.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace {

using clock_type = std::chrono::steady_clock;

clock_type::duration wait_limit() {
    if (const char* given = std::getenv("VORN1_LOCK_WAIT")) {
        char* end = nullptr;
        const long seconds = std::strtol(given, &end, 10);
        if (end != given && *end == '\0' && seconds >= 0) return std::chrono::seconds(seconds);
    }
    return std::chrono::minutes(1);
}

std::atomic<void (*)(std::string_view)> g_tell{nullptr};
thread_local const vtfile_thread_tellers* t_tellers = nullptr;

void wake(int) {}

// Installs, once for the process, an action for SIGALRM that does nothing
// but interrupt: no SA_RESTART, so the blocking call returns EINTR. It is
// never taken back, since several threads may wait at once.
bool install_wake_action() {
    struct sigaction action {};
    action.sa_handler = wake;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGALRM, &action, nullptr) == 0;
}

// A timer that interrupts a blocking call of this thread with SIGALRM, so
// that the wait is the kernel's (no polling) and still ends in time. It
// fires again every tenth of a second after its time, so an alarm that
// comes just before the call begins only delays the wake-up a little.
class wake_up {
  public:
    wake_up() {
        static const bool installed = install_wake_action();
        if (!installed) return;
        sigevent event{};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = SIGALRM;
        event._sigev_un._tid = gettid();  // sigev_notify_thread_id
        armed_ = timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0;
    }
    ~wake_up() {
        if (armed_) timer_delete(timer_);
    }
    wake_up(const wake_up&) = delete;
    wake_up& operator=(const wake_up&) = delete;
    bool armed() const { return armed_; }
    void in(clock_type::duration after) {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(after).count();
        itimerspec when{};
        when.it_value.tv_sec = static_cast<time_t>(ns / 1000000000);
        when.it_value.tv_nsec = static_cast<long>(ns % 1000000000);
        if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0) when.it_value.tv_nsec = 1;
        when.it_interval.tv_nsec = 100000000;
        timer_settime(timer_, 0, &when, nullptr);
    }

  private:
    timer_t timer_{};
    bool armed_ = false;
};

}  // namespace

void vtfile_set_wait_teller(void (*tell)(std::string_view shown)) {
    g_tell.store(tell);
}

void vtfile_set_thread_tellers(const vtfile_thread_tellers* tellers) {
    t_tellers = tellers;
}

const vtfile_thread_tellers* vtfile_thread_tellers_now() {
    return t_tellers;
}

void vtfile_tell_waiting(std::string_view shown) {
    if (void (*teller)(std::string_view) = g_tell.load()) teller(shown);
}

bool vtfile_lock(int fd, int operation, std::string_view shown) {
    if (flock(fd, operation | LOCK_NB) == 0 || errno != EWOULDBLOCK) return true;
    const clock_type::time_point start = clock_type::now();
    const clock_type::time_point end = start + wait_limit();
    const clock_type::time_point tell = start + std::chrono::seconds(1);
    wake_up alarm;
    if (!alarm.armed()) return flock(fd, operation) == 0 || errno != EINTR;
    bool told = false;
    for (;;) {
        const clock_type::time_point now = clock_type::now();
        if (!told && now >= tell) {
            if (t_tellers && t_tellers->waiting)
                t_tellers->waiting(shown);
            else
                vtfile_tell_waiting(shown);
            told = true;
        }
        if (now >= end) return false;
        alarm.in((told || end < tell ? end : tell) - now);
        if (flock(fd, operation) == 0 || errno != EINTR) return true;
    }
}
