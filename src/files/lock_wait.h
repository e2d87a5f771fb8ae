// lock_wait: taking a lock that another program may hold, without waiting
// for ever.
//
// Anyone who may open a file or folder may hold a lock on it. A run that
// finds one held says so (to the wait teller) once a second has passed, and
// gives up after a bounded time: VORN1_LOCK_WAIT seconds when that is set
// (a whole number), else a minute.
#pragma once

#include <functional>
#include <string_view>

// Says that the run waits for the file named shown; the program sets the
// teller that words and shows it (null, the default: nobody is told).
void vtfile_set_wait_teller(void (*tell)(std::string_view shown));

// What one thread tells in place of the program's tellers (the wait teller
// here, the restore teller of vtfile.h): a run that opens pages ahead on
// worker threads tells of them when it reaches them.
struct vtfile_thread_tellers {
    std::function<void(std::string_view shown)> waiting;
    std::function<void(std::string_view path, bool done)> restored;
};
// Sets the calling thread's tellers (null: the program's again).
void vtfile_set_thread_tellers(const vtfile_thread_tellers* tellers);
const vtfile_thread_tellers* vtfile_thread_tellers_now();
// Tells the program's wait teller, whatever the thread's tellers.
void vtfile_tell_waiting(std::string_view shown);

// flock(fd, operation) (LOCK_SH or LOCK_EX), waiting as said above for the
// file named shown. False only when the wait ran out; a file system without
// locks counts as locked.
bool vtfile_lock(int fd, int operation, std::string_view shown);
