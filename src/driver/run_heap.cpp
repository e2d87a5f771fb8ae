#include "driver/run_heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "core/byte_block.h"

namespace {

// Below this many pages a run touches little fresh heap, and backing it
// with huge pages would round its memory up more than it saves.
constexpr size_t many_pages = 64;

// The heap keeps this much free at its top rather than hand it back.
constexpr int kept_bytes = 64 << 20;

// The room reserved at the heap's top for a run over many pages: less than
// what the heap keeps, so that the first free does not hand it back.
constexpr int room_bytes = 48 << 20;

// What the heap adds to each growth when not told otherwise.
constexpr int usual_pad = 128 << 10;

// The heap keeps what a page freed for the next instead of handing it back
// to the system and asking again.
void keep_heap() {
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, kept_bytes);
}

// Every fresh 4 KiB of heap costs a page fault, about 10 µs on a virtual
// machine: a third of an unchanged site's rebuild. So the heap's top grows
// once by a large room, offered to the kernel for huge pages (a fault every
// 2 MiB where the kernel allows them; where it does not, nothing changes).
// Nothing here changes what malloc hands out, only how the memory behind it
// is mapped.
void reserve_huge_room() {
    const auto end = reinterpret_cast<uintptr_t>(sbrk(0));
    // A block held for good takes the heap's free top (which ends at the
    // break) and the bytes up to just short of a huge page boundary, never
    // touched beyond its header: a header written after the boundary would
    // keep those 2 MiB in small pages. It skips whole huge pages more than
    // all the heap's freed blocks, or one of them would serve it instead.
    const struct mallinfo2 heap = mallinfo2();
    if (heap.arena == 0) return;  // another allocator's heap, or none
    const size_t freed = heap.fordblks > heap.keepcost ? heap.fordblks - heap.keepcost : 0;
    size_t ahead = huge_pages_up(end) - end;
    if (ahead < 4096) ahead += huge_page_bytes;
    size_t fill = ahead + heap.keepcost - 64;
    while (fill <= freed) fill += huge_page_bytes;
    mallopt(M_TOP_PAD, room_bytes);
    static void* filler = nullptr;
    filler = std::malloc(fill);
    const auto grown = reinterpret_cast<uintptr_t>(sbrk(0));
    // Later growths ask for what they need, as before.
    mallopt(M_TOP_PAD, usual_pad);
    if (grown <= end) {  // the heap does not grow by sbrk here
        std::free(filler);
        filler = nullptr;
        return;
    }
    const uintptr_t from = huge_pages_up(end + fill - heap.keepcost);
    const uintptr_t to = grown / huge_page_bytes * huge_page_bytes;
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

// True when the process's memory is limited by size: room taken ahead of
// need would make a run fail sooner under the limit.
bool limited() {
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit limit {};
        if (getrlimit(resource, &limit) != 0 || limit.rlim_cur != RLIM_INFINITY) return true;
    }
    return false;
}

}  // namespace

void prepare_run_heap(size_t pages) {
    static std::once_flag kept, reserved;
    std::call_once(kept, keep_heap);
    if (pages >= many_pages && !limited()) std::call_once(reserved, reserve_huge_room);
}
