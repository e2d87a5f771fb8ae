#include "core/byte_block.h"

#include <sys/mman.h>

#include <new>

byte_block make_byte_block(size_t n) {
    void* bytes = nullptr;
    if (n >= huge_page_bytes) {
        const size_t rounded = huge_pages_up(n);
        bytes = std::aligned_alloc(huge_page_bytes, rounded);
        if (bytes) madvise(bytes, rounded, MADV_HUGEPAGE);
    } else {
        bytes = std::malloc(n ? n : 1);
    }
    if (!bytes) throw std::bad_alloc();
    return byte_block(static_cast<char*>(bytes));
}
