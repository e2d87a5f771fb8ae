// lock_wait: taking a lock that another program may hold, without waiting
// for ever.
//
// Anyone who may open a file or folder may hold a lock on it. A run that
// finds one held says so (to the wait teller) once a second has passed, and
// gives up after a bounded time: VORN1_LOCK_WAIT seconds when that is set
// (a whole number), else a minute.
#pragma once

#include <string_view>

// Says that the run waits for the file named shown; the program sets the
// teller that words and shows it (null, the default: nobody is told).
void vtfile_set_wait_teller(void (*tell)(std::string_view shown));

// flock(fd, operation) (LOCK_SH or LOCK_EX), waiting as said above for the
// file named shown. False only when the wait ran out; a file system without
// locks counts as locked.
bool vtfile_lock(int fd, int operation, std::string_view shown);
