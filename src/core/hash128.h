// hash128: a fast 128-bit hash of bytes, for telling contents apart where a
// collision would only cost a wrong cache answer that nobody provokes on
// purpose: not a defence against crafted input.
#pragma once

#include <cstdint>
#include <string_view>

struct hash128 {
    uint64_t low = 0;
    uint64_t high = 0;
    bool operator==(const hash128&) const = default;
};

// The hash of bytes under seed: four lanes of 64 bits, each mixed by
// multiplication with every eighth byte word, folded into two halves.
hash128 hash_bytes(std::string_view bytes, uint64_t seed = 0);
