#include "driver/page_workers.h"

#include <sched.h>

#include <algorithm>
#include <system_error>

#include "files/temp_registry.h"

class page_workers::task {
  public:
    task(std::function<void()> work, size_t rank) : work_(std::move(work)), rank_(rank) {}

  private:
    friend class page_workers;
    std::function<void()> work_;
    size_t rank_;
    std::exception_ptr error_;
    bool done_ = false;
};

// A thread the system will not start (no memory for its stack, too many
// threads) only leaves more of the work to the others and to the caller.
page_workers::page_workers(int threads) {
    try {
        for (int i = 1; i < threads; ++i) threads_.emplace_back([this] { serve(); });
    } catch (const std::system_error&) {
    }
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

page_workers::ticket page_workers::run(std::function<void()> work, size_t rank) {
    ticket t = std::make_shared<task>(std::move(work), rank);
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(t);
    }
    queued_.notify_one();
    return t;
}

void page_workers::run_at(std::deque<ticket>::iterator at, std::unique_lock<std::mutex>& lock) {
    const ticket t = std::move(*at);
    queue_.erase(at);
    lock.unlock();
    try {
        t->work_();
    } catch (...) {
        t->error_ = std::current_exception();
    }
    t->work_ = nullptr;
    lock.lock();
    t->done_ = true;
    // Told once the lock is free: a waiter woken while it is held would
    // only sleep again on the lock, two more system calls a task.
    lock.unlock();
    finished_.notify_all();
    lock.lock();
}

bool page_workers::wait(const ticket& t, size_t most_rank, const std::function<bool()>& woken) {
    std::unique_lock lock(mutex_);
    while (!t->done_) {
        if (woken && woken()) return false;
        const auto allowed = std::find_if(queue_.begin(), queue_.end(),
                                          [&](const ticket& q) { return q->rank_ <= most_rank; });
        if (allowed != queue_.end())
            run_at(allowed, lock);
        else
            finished_.wait(lock);
    }
    if (t->error_) std::rethrow_exception(t->error_);
    return true;
}

void page_workers::wake() {
    // Under the lock: a caller between its woken() and its sleep is not missed.
    const std::lock_guard lock(mutex_);
    finished_.notify_all();
}

bool page_workers::done(const ticket& t) {
    const std::lock_guard lock(mutex_);
    return t->done_;
}

void page_workers::serve() {
    temp_registry_hold_signals_here();
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        run_at(queue_.begin(), lock);
    }
}

int page_workers::threads_for(int jobs) {
    return std::min(jobs > 0 ? jobs : machine_threads(), max_threads);
}

int page_workers::machine_threads() {
    cpu_set_t usable;
    if (sched_getaffinity(0, sizeof usable, &usable) == 0 && CPU_COUNT(&usable) > 0)
        return CPU_COUNT(&usable);
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}
