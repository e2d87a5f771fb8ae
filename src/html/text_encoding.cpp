#include "html/text_encoding.h"

#include <algorithm>
#include <cstddef>

namespace {

// Every unit of `width` bytes in text has its one non-zero byte at `at`.
bool zero_padded(std::string_view text, size_t width, size_t at) {
    for (size_t unit = 0; unit < text.size(); unit += width)
        for (size_t i = 0; i < width; ++i)
            if ((text[unit + i] == 0) != (i != at)) return false;
    return true;
}

}  // namespace

bool is_utf16_or_utf32(std::string_view first_bytes) {
    for (std::string_view bom : {std::string_view("\xFF\xFE"), std::string_view("\xFE\xFF"),
                                 std::string_view("\0\0\xFE\xFF", 4)})
        if (first_bytes.starts_with(bom)) return true;
    const std::string_view head =
        first_bytes.substr(0, std::min<size_t>(first_bytes.size(), 64) & ~size_t{3});
    if (head.empty()) return false;
    return zero_padded(head, 2, 0) || zero_padded(head, 2, 1) || zero_padded(head, 4, 0) ||
           zero_padded(head, 4, 3);
}
