// The settings reader: no crash on any bytes, and what it reads survives a
// write and a second read unchanged (the file format loses nothing it kept).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "project/vthash_array.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1000000) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    vthash_array first;
    vtstring error;
    if (!first.parse(bytes, error)) {
        if (error.empty()) std::abort();  // a failure always says why
        return 0;
    }
    const vtstring written = first.serialize();
    vthash_array second;
    if (!second.parse(written.view(), error)) std::abort();
    if (second.serialize().view() != written.view()) std::abort();
    return 0;
}
