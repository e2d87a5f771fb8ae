// The size from which a page is refused: 64 MiB. The HTML reader fails on a
// page of this size or more, and no build writes an output that reaches it,
// so every page the tool writes can be read back. One constant for both
// sides: raising it here raises it everywhere.
#pragma once

#include <cstdint>

constexpr int64_t page_size_limit = 67108864;
