#include "core/hash128.h"

#include <algorithm>
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

hash_stream::hash_stream(uint64_t seed)
    : lanes_{seed + kP1 + kP2, seed + kP2, seed, seed - kP1}, seed_(seed) {}

void hash_stream::stripe(const char* s) {
    for (int lane = 0; lane < 4; ++lane)
        lanes_[lane] = round_of(lanes_[lane], word_at(s + 8 * lane));
}

void hash_stream::add(std::string_view bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    length_ += left;
    if (used_ > 0) {
        const size_t take = std::min(left, sizeof pending_ - used_);
        std::memcpy(pending_ + used_, p, take);
        used_ += take;
        p += take;
        left -= take;
        if (used_ < sizeof pending_) return;
        stripe(pending_);
        used_ = 0;
    }
    for (; left >= 32; p += 32, left -= 32) stripe(p);
    if (left > 0) std::memcpy(pending_, p, left);
    used_ = left;
}

hash128 hash_stream::done() const {
    // The last bytes padded with zeros; the length below tells the padding
    // apart from bytes of zero.
    hash_stream last = *this;
    std::memset(last.pending_ + used_, 0, sizeof pending_ - used_);
    last.stripe(last.pending_);
    const uint64_t* v = last.lanes_;
    hash128 h;
    h.low =
        avalanche(rotl(v[0], 1) + rotl(v[1], 7) + rotl(v[2], 12) + rotl(v[3], 18) + length_ * kP5);
    h.high = avalanche((v[0] ^ rotl(v[2], 29)) * kP4 + (v[1] ^ rotl(v[3], 41)) * kP5 +
                       (length_ ^ seed_));
    return h;
}

hash128 hash_bytes(std::string_view bytes, uint64_t seed) {
    hash_stream stream(seed);
    stream.add(bytes);
    return stream.done();
}
