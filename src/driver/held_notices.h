// held_notices: what a run tells its caller (page notices, progress), held
// back from a given point until the run knows it reached it.
//
// Installed in a build_state, it takes over the state's callbacks and hands
// each call on at once, until hold(); from then on calls wait in order
// until release_to() or release_all() hands them on, or drop_from() drops
// those from a point on. Numbered from 0 by mark(). The callbacks are given
// back when it ends.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "driver/build_progress.h"

class build_state;

class held_notices {
  public:
    explicit held_notices(build_state& state);
    held_notices(const held_notices&) = delete;
    held_notices& operator=(const held_notices&) = delete;
    ~held_notices();

    // The number of the next call.
    size_t mark() const { return told_ + held_.size(); }
    void hold() { holding_ = true; }
    // Hands on the calls before number to; the later ones stay held.
    void release_to(size_t to);
    // Hands on every call held and stops holding.
    void release_all();
    // Forgets the calls from number from on.
    void drop_from(size_t from);

  private:
    struct call {
        bool page = false;  // a page notice, else progress
        int percent = 0;
        std::string path;
    };
    static void on_progress(int percent, void* self);
    static void on_page(std::string_view path, void* self);
    void tell(const call& c) const;

    build_state& state_;
    progress_fn progress_;
    void* progress_context_;
    page_fn pages_;
    void* pages_context_ = nullptr;
    std::deque<call> held_;
    size_t told_ = 0;  // calls handed on or dropped
    bool holding_ = false;
};
