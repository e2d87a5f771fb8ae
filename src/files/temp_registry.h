// temp_registry: the temporary files of this process that a termination
// signal must take with it.
//
// Process-wide by necessity: a signal handler reaches nothing else. The
// program registers each staged file while it exists; a handler for
// SIGTERM, SIGINT or SIGHUP calls temp_registry_unlink_all, which only reads
// (lock-free atomics) and unlinks, both safe in a signal handler. The other
// functions may be called from any thread; the handler first waits a moment
// for other threads in a termination_deferred or temp_creation_step step to
// leave it, so that a file made there is registered before the handler
// looks.
#pragma once

#include <signal.h>

#include <string>

// Registers path; gives the slot to release it by, or -1 when there is no
// memory for it (the file then merely outlives a signal).
int temp_registry_add(const std::string& path);
// Forgets the file of slot (the file itself is left alone); -1 is ignored.
void temp_registry_remove(int slot);
// Unlinks every registered file. Async-signal-safe.
void temp_registry_unlink_all() noexcept;

// Removes the registered files on SIGTERM, SIGINT and SIGHUP, then ends the
// process with status 128 + the signal's number. A signal ignored when the
// program started (nohup) stays ignored.
void temp_registry_handle_signals();

// A function the handler calls after the unlinking, before the process
// ends (null: none). It must be async-signal-safe.
void temp_registry_on_termination(void (*last_words)());

// From now on a termination signal no longer ends the process: the run it
// would interrupt has begun to put its files in place, and finishes as if no
// signal had come. A batch run ends with it; a window calls
// temp_registry_outcome_settled when the run is over.
void temp_registry_outcome_fixed();
// Signals end the process again; one that came while the outcome was fixed
// ends it now.
void temp_registry_outcome_settled();

// Keeps SIGTERM, SIGINT and SIGHUP from the calling thread for good: for
// helper threads, so that such a signal reaches a thread of the run.
void temp_registry_hold_signals_here();

// Holds SIGTERM, SIGINT and SIGHUP back while it lives, for steps that must
// not stop half way; a signal that came meanwhile arrives when it ends.
class termination_deferred {
  public:
    termination_deferred();
    ~termination_deferred();
    termination_deferred(const termination_deferred&) = delete;
    termination_deferred& operator=(const termination_deferred&) = delete;

  private:
    sigset_t saved_;  // the thread's signal mask before
};

// A step that registers a path (temp_registry_add) and then creates the
// file, with termination signals let through: a handler on the step's own
// thread unlinks the path whether or not the file was made yet (and it will
// not be), one on another thread waits for the step to end first. No signal
// mask is changed, so it costs no system call. A step that begins once a
// handler is ending the process waits for the end.
class temp_creation_step {
  public:
    temp_creation_step();
    ~temp_creation_step();
    temp_creation_step(const temp_creation_step&) = delete;
    temp_creation_step& operator=(const temp_creation_step&) = delete;
};
