// How the heap behaves during runs. Pages are read, parsed and written one
// after another with buffers of much the same sizes, and a run over a site
// also touches megabytes of fresh heap in small pieces (the page cache's
// entries, the TOC's items, the page list).
#pragma once

#include <cstddef>

// Sets the heap up for a run over pages pages; once for each kind of set-up
// in a process, so later runs of a window cost nothing.
void prepare_run_heap(size_t pages);
