// parallel_pages: the pages of a site run, read ahead and written behind on
// worker threads.
//
// The run's own thread keeps everything that one page passes to the next
// (the TOC, numbers, navigation, the staging of files, progress, notices and
// messages) and does it in the run's order, as a run on one thread would:
//  1. read: workers open (one after another, in order) and read the pages
//     a few ahead of the one the run's thread is at (and do after_read
//     with each);
//  2. take: the run's thread gives the page's notice, waits for the page
//     and replays what reading it reported (build_state::take_read);
//  3. write: the run's thread opens the page's output and renders its TOC
//     (build_state::write_page); a worker writes the bytes;
//  4. settle: the run's thread finishes the written pages in order.
// So the first failure in the run's order is the one reported: a failure
// of the run's thread waits for the writes before it (fail()), and writes
// are finished in order. What the run's thread tells its caller after it
// handed a page to a worker (notices, progress) is held back until that
// write is finished (held_notices), so that a write that fails is followed
// by nothing a run on one thread would not have told. Reading ahead and
// writing behind stop at a few pages each, so memory stays that of a few
// pages per thread.
// Opening a page may wait for another program or restore a backup; a
// worker keeps what that tells with the page, and the run's thread tells
// it once it reaches the page (at once when it is there already), after
// all it told before: the wait is named with the page the progress shows.
// While it waits, the run's thread reads pages ahead of its own but opens
// none, so that it never waits for a page the run has not reached.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "driver/build_state.h"
#include "driver/held_notices.h"
#include "driver/page_workers.h"
#include "files/lock_wait.h"
#include "files/vtfile.h"

template <class Page>
class parallel_pages {
  public:
    // What opening a page told: a wait for it, or its backup restored.
    struct file_notice {
        bool waiting = false;
        std::string path;
        bool done = false;
    };
    // A page read, with what its reading told.
    struct slot {
        std::unique_ptr<Page> page = std::make_unique<Page>();
        early_read read;
        page_workers::ticket opening;
        page_workers::ticket reading;  // set once it is opened
        // Those from handed on are not told yet; under notices_mutex_.
        std::vector<file_notice> notices;
        size_t handed = 0;
    };
    // What a worker does with a page read whole (nothing when empty).
    using after_read_fn = std::function<void(Page&)>;

    parallel_pages(build_state& state, const std::vector<std::string>& sources, int threads,
                   after_read_fn after_read = {})
        : state_(state),
          notices_(state),
          sources_(sources),
          after_read_(std::move(after_read)),
          depth_(static_cast<size_t>(threads) * 2),
          run_thread_(std::this_thread::get_id()),
          workers_(threads) {}
    parallel_pages(const parallel_pages&) = delete;
    parallel_pages& operator=(const parallel_pages&) = delete;
    // Before the pool ends: a page's opening may wait for its turn.
    ~parallel_pages() { close_turns(); }

    // Page i, to be taken with build_state::take_read; pages are taken in
    // order, each once. The slot stays here until the next is taken.
    slot& take(size_t i) {
        while (opened_ < sources_.size() && opened_ <= i + depth_) read(opened_++);
        taken_ = std::move(ahead_.front());
        ahead_.pop_front();
        at_ = i;
        taken_->read.ready = [this, s = taken_.get()] { return wait_read(*s); };
        return *taken_;
    }

    // Writes a page opened by build_state::write_page on a worker, which
    // then frees the page (bytes names its output, not in page).
    void write(std::shared_ptr<void> page, std::unique_ptr<deferred_write> bytes) {
        deferred_write* w = bytes.get();
        page_workers::ticket t = workers_.run(
            [w, page = std::move(page)]() mutable {
                build_state::write_deferred(*w);
                page.reset();
            },
            at_);
        behind_.push_back({std::move(bytes), std::move(t), notices_.mark()});
        notices_.hold();
    }

    // Finishes the pages written so far, in order; with all, waits for every
    // one, else only for those beyond the few kept. 0, or 1 with the error of
    // the first that failed.
    int settle(bool all) {
        if (failed_) return 1;
        while (!behind_.empty() &&
               (all || behind_.size() > depth_ || workers_.done(behind_.front().writing))) {
            pending& p = behind_.front();
            workers_.wait(p.writing, at_);
            const int result = state_.finish_write(*p.bytes);
            const size_t told = p.told;
            behind_.pop_front();
            if (result != 0) {
                notices_.drop_from(told);
                failed_ = true;
                return 1;
            }
            if (behind_.empty())
                notices_.release_all();
            else
                notices_.release_to(behind_.front().told);
        }
        return 0;
    }

    // Reports a failure of the run's thread (its error set), unless a write
    // before it failed: 1.
    int fail() {
        if (failed_) return 1;
        vtstring error = std::move(state_.error);
        if (settle(true) != 0) return 1;
        state_.error = std::move(error);
        return 1;
    }

  private:
    struct pending {
        std::unique_ptr<deferred_write> bytes;
        page_workers::ticket writing;
        size_t told;  // the notices told before the page was handed over
    };

    // Opens page i in turn (a task the run's thread does only for a page it
    // reached, as opening may wait), then reads it in a task of its own that
    // any thread may do.
    void read(size_t i) {
        auto s = std::make_unique<slot>();
        slot* to = s.get();
        std::string_view path = sources_[i];
        s->opening = workers_.run(
            [this, to, path, i] {
                const vtfile_thread_tellers tellers{
                    [this, to](std::string_view shown) {
                        relay(*to, {true, std::string(shown)});
                    },
                    [this, to](std::string_view file, bool done) {
                        relay(*to, {false, std::string(file), done});
                    }};
                vtfile_set_thread_tellers(&tellers);
                const bool opened = open_in_turn(i, path, to->read);
                vtfile_set_thread_tellers(nullptr);
                // Its turn never came: nobody waits for this page any more.
                if (!opened) throw std::bad_alloc();
                to->reading = workers_.run([this, to, path, i] {
                    state_.read_opened(path, i, to->page->document, to->read);
                    if (to->read.result == 0 && !to->read.found && after_read_)
                        after_read_(*to->page);
                });
            },
            i);
        ahead_.push_back(std::move(s));
    }

    // Keeps what opening the page of s told, for the run's thread; told at
    // once when that is the thread that opens it (it is at that page).
    void relay(slot& s, file_notice told) {
        {
            const std::lock_guard lock(notices_mutex_);
            s.notices.push_back(std::move(told));
        }
        if (std::this_thread::get_id() == run_thread_)
            hand_on(s);
        else
            workers_.wake();
    }

    bool untold(slot& s) {
        const std::lock_guard lock(notices_mutex_);
        return s.handed < s.notices.size();
    }

    // Tells what opening the page of s told and is not told yet, after what
    // the run told before (the writes before it finished first). False once
    // a write failed.
    bool hand_on(slot& s) {
        std::vector<file_notice> told;
        {
            const std::lock_guard lock(notices_mutex_);
            told.assign(s.notices.begin() + static_cast<std::ptrdiff_t>(s.handed), s.notices.end());
            s.handed = s.notices.size();
        }
        if (told.empty() || settle(true) != 0) return !failed_;
        for (const file_notice& n : told)
            n.waiting ? vtfile_tell_waiting(n.path) : vtfile_tell_restored(n.path, n.done);
        return true;
    }

    // Waits for the page of s to be read, telling what opening it tells
    // meanwhile. False when the run stops there (a write before it failed).
    bool wait_read(slot& s) {
        for (;;) {
            const bool opened = workers_.wait(s.opening, at_, [&] { return untold(s); });
            if (!hand_on(s)) return false;
            if (opened) break;
        }
        workers_.wait(s.reading, at_);
        return true;
    }

    // Pages are opened in the run's order, as opening one may wait for a
    // lock or tell of a backup it restored. The turn alone keeps the others
    // out: the lock is held only to look at it, so that a task that comes to
    // look meanwhile, or is woken, need not sleep on the lock as well. False
    // when the turns closed first: the run ends before this page's turn (a
    // page before it failed, or could not be opened for want of memory).
    bool open_in_turn(size_t i, std::string_view path, early_read& read) {
        {
            std::unique_lock lock(turn_mutex_);
            turn_.wait(lock, [&] { return open_turn_ == i || closed_; });
            if (closed_) return false;
        }
        state_.open_early(path, read);
        {
            const std::lock_guard lock(turn_mutex_);
            ++open_turn_;
        }
        turn_.notify_all();
        return true;
    }

    // Releases the tasks that wait for a turn that will not come: the pool
    // cannot end while they wait.
    void close_turns() {
        {
            const std::lock_guard lock(turn_mutex_);
            closed_ = true;
        }
        turn_.notify_all();
    }

    build_state& state_;
    held_notices notices_;
    const std::vector<std::string>& sources_;
    after_read_fn after_read_;
    size_t depth_;
    std::thread::id run_thread_;
    size_t opened_ = 0;
    size_t at_ = 0;        // the page the run's thread is at
    bool failed_ = false;  // a write failed: the run stops
    std::mutex notices_mutex_;
    std::mutex turn_mutex_;
    std::condition_variable turn_;
    size_t open_turn_ = 0;
    bool closed_ = false;  // no more turns; under turn_mutex_
    std::deque<std::unique_ptr<slot>> ahead_;
    std::unique_ptr<slot> taken_;
    std::deque<pending> behind_;
    // Last: its threads end before the pages they work on go.
    page_workers workers_;
};
