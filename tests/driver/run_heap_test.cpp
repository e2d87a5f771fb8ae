#include "driver/run_heap.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
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

// Exits 0 when a run over a few pages leaves the heap's mapping alone and
// one over many gets heap room on huge page boundaries where the first
// buffer after it lands, backed by huge pages (a header written into the
// room's first 2 MiB would keep it in small pages); else 1, saying why.
[[noreturn]] void check_room() {
    const auto fail = [](const char* why) {
        std::fputs(why, stderr);
        std::_Exit(1);
    };
    prepare_run_heap(63);
    char* small = static_cast<char*>(std::malloc(1 << 20));
    if (advised_at(reinterpret_cast<uintptr_t>(small)).to != 0)
        fail("a run over a few pages asked for huge pages");
    std::free(small);

    prepare_run_heap(64);
    const size_t size = size_t{3} << 20;
    char* buffer = static_cast<char*>(std::malloc(size));
    if (!buffer) fail("no memory");
    std::memset(buffer, 1, size);
    const advised_area room = advised_at(reinterpret_cast<uintptr_t>(buffer + size / 2));
    if (room.to == 0) fail("the buffer is not in room advised for huge pages");
    if (room.from % (uintptr_t{2} << 20) != 0) fail("the room starts off a huge page boundary");
    if (room.to - room.from < uintptr_t{32} << 20) fail("the room is small");
    if (!huge_pages_never() && room.huge_kb < 4096)
        fail("the room's first 2 MiB are in small pages");
    std::_Exit(0);
}

}  // namespace

// In a process of its own: the heap is set up once a process.
TEST(run_heap, ManyPagesGetHugePageRoomAFewDoNot) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's allocator does not use the heap";
#endif
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit limit {};
        if (getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
            GTEST_SKIP() << "memory is limited here, so the heap takes no room ahead";
    }
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(check_room(), testing::ExitedWithCode(0), "");
}
