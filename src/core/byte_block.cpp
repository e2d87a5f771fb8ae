#include "core/byte_block.h"

#include <sys/mman.h>

#include <new>

byte_block make_byte_block(size_t n) {
    constexpr size_t huge_page = size_t{2} << 20;
    void* bytes = nullptr;
    if (n >= huge_page) {
        const size_t rounded = (n + huge_page - 1) / huge_page * huge_page;
        bytes = std::aligned_alloc(huge_page, rounded);
        if (bytes) madvise(bytes, rounded, MADV_HUGEPAGE);
    } else {
        bytes = std::malloc(n ? n : 1);
    }
    if (!bytes) throw std::bad_alloc();
    return byte_block(static_cast<char*>(bytes));
}
