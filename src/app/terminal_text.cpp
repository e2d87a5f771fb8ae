#include "app/terminal_text.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// One character of a byte string: a UTF-8 sequence, or a single byte that
// does not begin one (valid false).
struct character {
    uint32_t code = 0;
    size_t length = 1;
    bool valid = false;
};

character character_at(std::string_view s, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return {lead, 1, true};
    size_t length = 0;
    uint32_t code = 0;
    uint32_t lowest = 0;  // shorter forms of the same code are not UTF-8
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, lowest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, lowest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, lowest = 0x10000;
    } else {
        return {lead, 1, false};
    }
    if (s.size() - at < length) return {lead, 1, false};
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return {lead, 1, false};
        code = code << 6 | (byte(at + i) & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return {lead, 1, false};
    return {code, length, true};
}

// Controls, line and paragraph separators, and the bidirectional formatting
// characters (ALM, LRM, RLM, LRE to RLO, LRI to PDI).
bool acts_on_terminal(uint32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x061C || code == 0x200E ||
           code == 0x200F || (code >= 0x2028 && code <= 0x202E) ||
           (code >= 0x2066 && code <= 0x2069);
}

struct code_range {
    uint32_t first, last;
};

// East Asian wide and fullwidth characters, in order. Some ranges are
// merged over a few narrow characters: counting those as two columns only
// cuts a name a little earlier, while counting a wide one as one would let
// the line wrap.
constexpr code_range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0xA4CF},
    {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
    {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4},
    {0x17000, 0x18D08}, {0x1AFF0, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF},
    {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F2FF}, {0x1F300, 0x1F64F},
    {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

size_t columns_of(const character& c) {
    if (!c.valid || c.code < kWide[0].first) return 1;
    const auto* after =
        std::upper_bound(std::begin(kWide), std::end(kWide), c.code,
                         [](uint32_t code, const code_range& r) { return code < r.first; });
    return after != std::begin(kWide) && c.code <= (after - 1)->last ? 2 : 1;
}

}  // namespace

std::string printable_name(std::string_view name) {
    std::string shown;
    shown.reserve(name.size());
    for (size_t at = 0; at < name.size();) {
        const character c = character_at(name, at);
        if (c.valid && !acts_on_terminal(c.code))
            shown.append(name.substr(at, c.length));
        else
            shown.push_back('?');
        at += c.length;
    }
    return shown;
}

size_t display_columns(std::string_view text) {
    size_t columns = 0;
    for (size_t at = 0; at < text.size();) {
        const character c = character_at(text, at);
        columns += columns_of(c);
        at += c.length;
    }
    return columns;
}

std::string tail_in_columns(std::string_view text, size_t width) {
    if (display_columns(text) <= width) return std::string(text);
    if (width <= 3) return std::string(width, '.');
    // Where each character begins and how wide it is, then as many of the
    // last ones as fit beside the dots.
    std::vector<std::pair<size_t, size_t>> characters;
    for (size_t at = 0; at < text.size();) {
        const character c = character_at(text, at);
        characters.emplace_back(at, columns_of(c));
        at += c.length;
    }
    size_t used = 3;
    size_t from = text.size();
    for (auto it = characters.rbegin(); it != characters.rend() && used + it->second <= width;
         ++it) {
        used += it->second;
        from = it->first;
    }
    return "..." + std::string(text.substr(from));
}
