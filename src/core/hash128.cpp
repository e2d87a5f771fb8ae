#include "core/hash128.h"

#include <cstring>

namespace {

constexpr uint64_t kP1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kP2 = 0xC2B2AE3D27D4EB4Full;
constexpr uint64_t kP3 = 0x165667B19E3779F9ull;
constexpr uint64_t kP4 = 0x85EBCA77C2B2AE63ull;
constexpr uint64_t kP5 = 0x27D4EB2F165667C5ull;

constexpr uint64_t rotl(uint64_t x, int r) {
    return (x << r) | (x >> (64 - r));
}

// Each step is a bijection of the lane for a given word, so no word can
// make a lane forget what came before.
constexpr uint64_t round_of(uint64_t lane, uint64_t word) {
    return rotl(lane + word * kP2, 31) * kP1;
}

constexpr uint64_t avalanche(uint64_t h) {
    h ^= h >> 33;
    h *= kP2;
    h ^= h >> 29;
    h *= kP3;
    h ^= h >> 32;
    return h;
}

uint64_t word_at(const char* p) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

}  // namespace

hash128 hash_bytes(std::string_view bytes, uint64_t seed) {
    uint64_t v1 = seed + kP1 + kP2;
    uint64_t v2 = seed + kP2;
    uint64_t v3 = seed;
    uint64_t v4 = seed - kP1;
    const char* p = bytes.data();
    size_t left = bytes.size();
    const auto stripe = [&](const char* s) {
        v1 = round_of(v1, word_at(s));
        v2 = round_of(v2, word_at(s + 8));
        v3 = round_of(v3, word_at(s + 16));
        v4 = round_of(v4, word_at(s + 24));
    };
    for (; left >= 32; p += 32, left -= 32) stripe(p);
    // The last bytes padded with zeros; the length below tells the padding
    // apart from bytes of zero.
    char tail[32] = {};
    if (left > 0) std::memcpy(tail, p, left);
    stripe(tail);
    const uint64_t length = static_cast<uint64_t>(bytes.size());
    hash128 h;
    h.low = avalanche(rotl(v1, 1) + rotl(v2, 7) + rotl(v3, 12) + rotl(v4, 18) + length * kP5);
    h.high = avalanche((v1 ^ rotl(v3, 29)) * kP4 + (v2 ^ rotl(v4, 41)) * kP5 + (length ^ seed));
    return h;
}
