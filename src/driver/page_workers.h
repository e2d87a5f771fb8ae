// page_workers: the threads that share the per-page work of a run.
//
// Tasks run in the order given, on the pool's threads and on the caller's
// own thread, which runs waiting tasks itself while it waits for one: those
// of a rank it allows (a run's thread does no page ahead of its own). A
// task's exception (a failed allocation) is rethrown by wait(). The pool
// ends with the tasks that are running; tasks not begun by then never run.
// Its threads never take the termination signals: those reach the run's own
// thread, which removes the staged files (temp_registry.h).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class page_workers {
  public:
    class task;
    using ticket = std::shared_ptr<task>;

    // threads counts the caller's own: threads - 1 are started (none for 1).
    explicit page_workers(int threads);
    page_workers(const page_workers&) = delete;
    page_workers& operator=(const page_workers&) = delete;
    ~page_workers();

    ticket run(std::function<void()> work, size_t rank = 0);
    // Returns true once the task has run, rethrowing what it threw, or false
    // once woken() is true (asked with the pool's lock held, when a task
    // ends and on wake()). Meanwhile runs waiting tasks of rank up to
    // most_rank.
    bool wait(const ticket& t, size_t most_rank = SIZE_MAX,
              const std::function<bool()>& woken = {});
    // Has the callers of wait() ask their woken() again.
    void wake();
    // True once the task has run.
    bool done(const ticket& t);

    // One thread for each core this process may run on.
    static int machine_threads();
    static constexpr int max_threads = 256;
    // The threads of a run asked for jobs: jobs, or for 0 machine_threads(),
    // at most max_threads.
    static int threads_for(int jobs);

  private:
    void serve();
    // Runs the task at at, with lock held on entry and on return.
    void run_at(std::deque<ticket>::iterator at, std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable finished_;
    std::deque<ticket> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};
