// The settings reader: no crash on any bytes, and what it reads survives a
// write and a second read: the same keys with the same values, line ends
// inside a value coming back as LF and empty values dropped.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "project/vthash_array.h"

namespace {

std::string lf_line_ends(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
        } else {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1000000) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    vthash_array first;
    vtstring error;
    if (!first.parse(bytes, error)) {
        if (error.empty()) std::abort();  // a failure always says why
        return 0;
    }
    vthash_array second;
    if (!second.parse(first.serialize().view(), error)) std::abort();
    // An empty value is written as an empty element, which reads as nothing.
    int32_t keys = 0;
    for (const auto& [key, entry] : first) {
        const vtarr* again = second.get_all(key);
        int32_t at = 0;
        for (int32_t i = 0; i < entry.values.count(); ++i) {
            const std::string_view value = entry.values[i].text();
            if (value.empty()) continue;
            if (!again || at >= again->count() || (*again)[at++].text() != lf_line_ends(value))
                std::abort();
        }
        if (again && at != again->count()) std::abort();
        if (again) ++keys;
    }
    if (keys != second.count()) std::abort();
    return 0;
}
