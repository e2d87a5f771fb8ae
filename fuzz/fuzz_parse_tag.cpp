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
    const bool lower = data[0] & 1;
    const bool escapes = data[0] & 2;
    const bool name_only = data[0] & 4;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    vtstring name;
    vthash attributes;
    parse_tag(bytes, name, &attributes, lower, escapes, name_only);
    if (!name.empty()) {
        if (!tag_name_start(name.view()[0])) std::abort();
        for (char c : name.view())
            if (!tag_name_byte(c)) std::abort();
    }
    if (name.view().size() > bytes.size()) std::abort();
    if (lower && has_capital(name.view())) std::abort();
    // The name alone is looked up without escapes, as the readers do.
    vtstring scratch;
    if (!escapes && parse_tag_name(bytes, scratch, lower) != name.view()) std::abort();
    if (lower)
        for (const auto& entry : attributes)
            if (has_capital(entry.first)) std::abort();
    return 0;
}
