// The entity decoder: no crash, a text without '&' is left alone, and decoding
// never makes a text longer (every reference becomes one byte or stays).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "html/entities.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 100000) return 0;
    const bool fold = data[0] & 1;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    vthash table;
    fill_entity_table(table);
    vtstring text(input);
    const bool changed = decode_entities(text, table, fold);
    if (text.view().size() > input.size()) std::abort();
    if (input.find('&') == std::string_view::npos && (changed || text.view() != input))
        std::abort();
    if (!changed && text.view() != input) std::abort();
    return 0;
}
