// parse_tag: no crash in any mode; the name is a run of name bytes in the
// wanted case, the same as parse_tag_name finds (without escapes); lower-cased names and
// attribute names hold no capital letter.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "html/parse_tag.h"

namespace {

bool has_capital(std::string_view s) {
    for (char c : s)
        if (c >= 'A' && c <= 'Z') return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 200000) return 0;
    // The first byte's low bits are the flags (lower case 1, escapes 2, name only 4).
    const auto flags = static_cast<tag_flags>(data[0] & 7);
    const bool lower = has(flags, tag_flags::lower_case);
    const bool escapes = has(flags, tag_flags::backslash_escapes);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    vtstring name;
    vthash attributes;
    parse_tag(bytes, name, &attributes, flags);
    if (!name.empty()) {
        if (!tag_name_start(name.view()[0])) std::abort();
        for (char c : name.view())
            if (!tag_name_byte(c)) std::abort();
    }
    if (name.view().size() > bytes.size()) std::abort();
    if (lower && has_capital(name.view())) std::abort();
    // The name alone is looked up without escapes, as the readers do.
    vtstring scratch;
    if (!escapes && parse_tag_name(bytes, scratch, flags) != name.view()) std::abort();
    if (lower)
        for (const auto& entry : attributes)
            if (has_capital(entry.first)) std::abort();
    return 0;
}
