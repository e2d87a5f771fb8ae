#include "files/temp_registry.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr int kTerminating[] = {SIGTERM, SIGINT, SIGHUP};
constexpr size_t kBlockSlots = 1024;

// Slots live in blocks that are never moved or freed, linked for the
// handler, so that the handler never sees memory being reallocated. A path
// is published by storing its pointer; released by swapping in null.
struct block {
    std::atomic<char*> slots[kBlockSlots] = {};
    std::atomic<block*> next{nullptr};
};

struct registry {
    block first;
    // The rest is for the program's threads, under the mutex.
    std::mutex mutex;
    std::vector<block*> blocks{&first};
    std::atomic<size_t> used{0};  // slots handed out so far
    size_t live = 0;
};

registry& the_registry() {
    // Never destroyed: a signal may come while static objects are being
    // destroyed at exit.
    static registry* r = new registry;
    return *r;
}

std::atomic<char*>& slot_at(registry& r, size_t index) {
    return r.blocks[index / kBlockSlots]->slots[index % kBlockSlots];
}

std::atomic<void (*)()> g_last_words{nullptr};
std::atomic<bool> g_outcome_fixed{false};
// A termination signal that came while the outcome was fixed (0: none).
std::atomic<int> g_pending{0};
// Threads in a termination_deferred step, such as a file created and not yet
// registered: the handler waits a little for them.
std::atomic<int> g_deferred{0};
// Set once a termination signal is ending the process: no deferred step may
// begin after the handler has waited for those under way, or the file it
// makes would be created after the clean-up and outlive the process.
std::atomic<bool> g_terminating{false};

// Of g_deferred, the steps of this thread that run with signals let
// through (temp_creation_step): a handler on this thread does not wait for
// them, they cannot go on before it ends.
thread_local std::atomic<int> t_open_steps{0};

void wait_for_deferred_steps() {
    const timespec tick{0, 1000000};
    for (int i = 0; i < 200 && g_deferred.load() > t_open_steps.load(); ++i)
        nanosleep(&tick, nullptr);
}

// Waits for the handler on another thread to end the process.
[[noreturn]] void wait_for_the_end() {
    for (;;) pause();
}

void on_termination(int signal) {
    if (g_outcome_fixed.load()) {
        int none = 0;
        g_pending.compare_exchange_strong(none, signal);
        return;
    }
    g_terminating.store(true);
    wait_for_deferred_steps();
    temp_registry_unlink_all();
    if (void (*last_words)() = g_last_words.load()) last_words();
    _exit(128 + signal);
}

}  // namespace

int temp_registry_add(const std::string& path) {
    registry& r = the_registry();
    const std::lock_guard lock(r.mutex);
    // Once every file is released, slots are handed out from the start again.
    if (r.live == 0) r.used.store(0, std::memory_order_release);
    const size_t index = r.used.load(std::memory_order_relaxed);
    if (index / kBlockSlots == r.blocks.size()) {
        block* more = new (std::nothrow) block;
        if (!more) return -1;
        r.blocks.back()->next.store(more, std::memory_order_release);
        r.blocks.push_back(more);
    }
    char* copy = strdup(path.c_str());
    if (!copy) return -1;
    slot_at(r, index).store(copy, std::memory_order_release);
    r.used.store(index + 1, std::memory_order_release);
    ++r.live;
    return static_cast<int>(index);
}

void temp_registry_remove(int slot) {
    if (slot < 0) return;
    registry& r = the_registry();
    const std::lock_guard lock(r.mutex);
    std::free(slot_at(r, static_cast<size_t>(slot)).exchange(nullptr, std::memory_order_acq_rel));
    --r.live;
}

void temp_registry_unlink_all() noexcept {
    registry& r = the_registry();
    const size_t used = r.used.load(std::memory_order_acquire);
    const block* b = &r.first;
    for (size_t i = 0; i < used && b; ++i) {
        if (const char* path = b->slots[i % kBlockSlots].load(std::memory_order_acquire))
            unlink(path);
        if (i % kBlockSlots == kBlockSlots - 1) b = b->next.load(std::memory_order_acquire);
    }
}

void temp_registry_handle_signals() {
    the_registry();  // made now, not in a handler
    struct sigaction action {};
    action.sa_handler = on_termination;
    sigemptyset(&action.sa_mask);
    for (int s : kTerminating) sigaddset(&action.sa_mask, s);
    for (int s : kTerminating) {
        struct sigaction before {};
        if (sigaction(s, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
        sigaction(s, &action, nullptr);
    }
}

void temp_registry_outcome_fixed() {
    g_outcome_fixed.store(true);
}

void temp_registry_outcome_settled() {
    g_outcome_fixed.store(false);
    if (const int signal = g_pending.exchange(0)) on_termination(signal);
}

void temp_registry_on_termination(void (*last_words)()) {
    g_last_words.store(last_words);
}

void temp_registry_hold_signals_here() {
    sigset_t held;
    sigemptyset(&held);
    for (int s : kTerminating) sigaddset(&held, s);
    pthread_sigmask(SIG_BLOCK, &held, nullptr);
}

termination_deferred::termination_deferred() {
    sigset_t held;
    sigemptyset(&held);
    for (int s : kTerminating) sigaddset(&held, s);
    pthread_sigmask(SIG_BLOCK, &held, &saved_);
    ++g_deferred;
    if (g_terminating.load()) {
        --g_deferred;
        wait_for_the_end();
    }
}

termination_deferred::~termination_deferred() {
    --g_deferred;
    pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

// The global count first, so that a handler coming in between waits (in
// vain, a moment) rather than overlooks another thread's step.
temp_creation_step::temp_creation_step() {
    ++g_deferred;
    ++t_open_steps;
    if (g_terminating.load()) {
        --t_open_steps;
        --g_deferred;
        wait_for_the_end();
    }
}

temp_creation_step::~temp_creation_step() {
    --t_open_steps;
    --g_deferred;
}
