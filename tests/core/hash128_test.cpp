// The hash of bytes given in pieces is the hash of the bytes given whole:
// cache keys are hashed as they come, cache files and pages in one piece.
#include <gtest/gtest.h>

#include <string>

#include "core/hash128.h"

TEST(hash_stream, AnySplitGivesTheHashOfTheWhole) {
    std::string bytes;
    for (int n = 0; n < 100; ++n) {
        const hash128 whole = hash_bytes(bytes, static_cast<uint64_t>(n % 3));
        for (size_t a = 0; a <= bytes.size(); ++a) {
            for (size_t b = a; b <= bytes.size(); b += 7) {
                hash_stream stream(static_cast<uint64_t>(n % 3));
                const std::string_view all(bytes);
                stream.add(all.substr(0, a));
                stream.add(all.substr(a, b - a));
                stream.add(all.substr(b));
                ASSERT_EQ(stream.done(), whole)
                    << bytes.size() << " bytes cut at " << a << ", " << b;
            }
        }
        // Zero bytes and padding are told apart by the length.
        EXPECT_NE(hash_bytes(bytes + '\0'), hash_bytes(bytes));
        bytes.push_back(static_cast<char>(n * 37 + 1));
    }
}
