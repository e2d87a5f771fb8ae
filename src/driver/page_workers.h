// page_workers: the threads that share the per-page work of a run.
//
// Tasks run in the order given, on the pool's threads and on the caller's
// own thread, which runs waiting tasks itself while it waits for one. A
// task's exception (a failed allocation) is rethrown by wait(). The pool
// ends with the tasks that are running; tasks not begun by then never run.
// Its threads never take the termination signals: those reach the run's own
// thread, which removes the staged files (temp_registry.h).
#pragma once

#include <condition_variable>
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

    ticket run(std::function<void()> work);
    // Returns once the task has run; rethrows what it threw.
    void wait(const ticket& t);
    // True once the task has run.
    bool done(const ticket& t);

    // One thread for each core this process may run on.
    static int machine_threads();

  private:
    void serve();
    // Runs the front task with lock held on entry and on return.
    void run_front(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable finished_;
    std::deque<ticket> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};
