// write_block: the block in which a file writer gathers the many small
// pieces of a page, so that they go to the file in few large writes.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

struct write_block {
    // A block is fresh memory, and the first touch of each 4 KiB of it costs
    // a page fault (about 15 us on a virtual machine): with 64 KiB blocks a
    // big page's writer and its compare buffer take 96 faults fewer than
    // with 256 KiB ones, for a write call every 64 KiB instead.
    static constexpr size_t size = 64 << 10;

    // Copies bytes when they fit the room left, else copies nothing and
    // gives false: the writer's slower path takes them. Inline: a page is
    // written as thousands of small pieces.
    bool put(std::string_view bytes) {
        if (bytes.size() >= room) return false;
        if (!bytes.empty()) {
            std::memcpy(data.get() + used, bytes.data(), bytes.size());
            used += bytes.size();
            room -= bytes.size();
        }
        return true;
    }
    // The memory, made on first use; pages of it never touched cost nothing.
    void make() {
        if (!data) data = std::make_unique_for_overwrite<char[]>(size);
    }
    // The used bytes went out: their room is free again.
    void drained() {
        room += used;
        used = 0;
    }

    std::unique_ptr<char[]> data;
    size_t used = 0;  // bytes gathered
    size_t room = 0;  // bytes that still fit (0 until made, and after a failure)
};
