#include "driver/page_workers.h"

#include <pthread.h>
#include <sched.h>

#include <csignal>

class page_workers::task {
  public:
    explicit task(std::function<void()> work) : work_(std::move(work)) {}

  private:
    friend class page_workers;
    std::function<void()> work_;
    std::exception_ptr error_;
    bool done_ = false;
};

page_workers::page_workers(int threads) {
    for (int i = 1; i < threads; ++i) threads_.emplace_back([this] { serve(); });
}

page_workers::~page_workers() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    queued_.notify_all();
    for (std::thread& t : threads_) t.join();
}

page_workers::ticket page_workers::run(std::function<void()> work) {
    ticket t = std::make_shared<task>(std::move(work));
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(t);
    }
    queued_.notify_one();
    return t;
}

void page_workers::run_front(std::unique_lock<std::mutex>& lock) {
    const ticket t = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    try {
        t->work_();
    } catch (...) {
        t->error_ = std::current_exception();
    }
    t->work_ = nullptr;
    lock.lock();
    t->done_ = true;
    finished_.notify_all();
}

void page_workers::wait(const ticket& t) {
    std::unique_lock lock(mutex_);
    while (!t->done_) {
        if (!queue_.empty())
            run_front(lock);
        else
            finished_.wait(lock);
    }
    if (t->error_) std::rethrow_exception(t->error_);
}

bool page_workers::done(const ticket& t) {
    const std::lock_guard lock(mutex_);
    return t->done_;
}

void page_workers::serve() {
    sigset_t held;
    sigemptyset(&held);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&held, s);
    pthread_sigmask(SIG_BLOCK, &held, nullptr);
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        run_front(lock);
    }
}

int page_workers::machine_threads() {
    cpu_set_t usable;
    if (sched_getaffinity(0, sizeof usable, &usable) == 0 && CPU_COUNT(&usable) > 0)
        return CPU_COUNT(&usable);
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}
