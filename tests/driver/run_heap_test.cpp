#include "driver/run_heap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// A mapping of this process that asks for huge pages.
struct advised_area {
    uintptr_t from = 0, to = 0;
    long huge_kb = 0;  // of it backed by huge pages
};

// The mapping of /proc/self/smaps with the "hg" flag that holds at; empty
// when none does.
advised_area advised_at(uintptr_t at) {
    std::ifstream smaps("/proc/self/smaps");
    advised_area area, found;
    for (std::string line; std::getline(smaps, line);) {
        uintptr_t from = 0, to = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx ", &from, &to) == 2) {
            area = {from, to, 0};
        } else if (line.starts_with("AnonHugePages:")) {
            area.huge_kb = std::strtol(line.c_str() + 14, nullptr, 10);
        } else if (line.starts_with("VmFlags:") && line.find(" hg") != std::string::npos &&
                   area.from <= at && at < area.to) {
            found = area;
        }
    }
    return found;
}

bool huge_pages_never() {
    std::ifstream mode("/sys/kernel/mm/transparent_hugepage/enabled");
    std::stringstream text;
    text << mode.rdbuf();
    return text.str().find("[never]") != std::string::npos;
}

}  // namespace

// A run over many pages gets heap room on huge page boundaries, and the
// first buffer after it lands there and is backed by huge pages (a header
// written into the room's first 2 MiB would keep it in small pages); a run
// over a few pages leaves the heap's mapping alone.
TEST(run_heap, ManyPagesGetHugePageRoomAFewDoNot) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's allocator does not use the heap";
#endif
    prepare_run_heap(63);
    char* small = static_cast<char*>(std::malloc(1 << 20));
    EXPECT_EQ(advised_at(reinterpret_cast<uintptr_t>(small)).to, 0u);
    std::free(small);

    prepare_run_heap(64);
    const size_t size = size_t{3} << 20;
    char* buffer = static_cast<char*>(std::malloc(size));
    ASSERT_NE(buffer, nullptr);
    std::memset(buffer, 1, size);
    const advised_area room = advised_at(reinterpret_cast<uintptr_t>(buffer + size / 2));
    ASSERT_NE(room.to, 0u) << "the buffer is not in room advised for huge pages";
    EXPECT_EQ(room.from % (uintptr_t{2} << 20), 0u);
    EXPECT_GE(room.to - room.from, uintptr_t{32} << 20);
    if (!huge_pages_never()) {
        EXPECT_GE(room.huge_kb, 4096) << "the room's first 2 MiB are in small pages";
    }
    std::free(buffer);
}
