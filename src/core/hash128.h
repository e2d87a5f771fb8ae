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

// The same hash of bytes given in pieces: done() after add(a), add(b)
// equals hash_bytes(a + b), without the bytes ever standing in one place.
class hash_stream {
  public:
    explicit hash_stream(uint64_t seed = 0);
    void add(std::string_view bytes);
    hash128 done() const;

  private:
    void stripe(const char* s);

    uint64_t lanes_[4];
    uint64_t seed_;
    uint64_t length_ = 0;
    char pending_[32];  // the bytes of an unfinished stripe
    size_t used_ = 0;
};
