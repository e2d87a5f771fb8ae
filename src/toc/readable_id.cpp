#include "toc/readable_id.h"

#include <cstdint>

#include "html/html_references.h"

namespace {

// Non-ASCII characters are letters unless they lie in a block of spaces,
// punctuation or symbols (or are private, unassigned or invalid there):
// a fine enough cut for ids without Unicode tables.
bool is_letter(uint32_t cp) {
    struct range {
        uint32_t first, last;
    };
    static constexpr range not_letters[] = {
        {0x80, 0xA9},        {0xAB, 0xB4},     {0xB6, 0xB9},     {0xBB, 0xBF},
        {0xD7, 0xD7},        {0xF7, 0xF7},     {0x2000, 0x2BFF}, {0x2E00, 0x2E7F},
        {0x3000, 0x3004},    {0x3008, 0x3020}, {0xD800, 0xF8FF}, {0xFE10, 0xFE1F},
        {0xFE30, 0xFE6F},    {0xFEFF, 0xFEFF}, {0xFF00, 0xFF0F}, {0xFF1A, 0xFF20},
        {0xFF3B, 0xFF40},    {0xFF5B, 0xFF65}, {0xFFF0, 0xFFFF}, {0x1F000, 0x1FAFF},
        {0xF0000, 0x10FFFF},
    };
    for (const range& r : not_letters)
        if (cp >= r.first && cp <= r.last) return false;
    return true;
}

// The length of the valid UTF-8 character at s[at] and its code point; 0
// for a byte that starts none.
size_t utf8_character(std::string_view s, size_t at, uint32_t& cp) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > s.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(at + i) & 0x3F);
    }
    const uint32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < shortest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

bool is_ascii_alnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

vtstring readable_id(std::string_view heading_text) {
    vtstring text;
    append_html_decoded(heading_text, text);
    const std::string_view s = text.view();
    vtstring id;
    bool gap = false;
    for (size_t at = 0; at < s.size();) {
        // One character: an ASCII letter or digit, a UTF-8 letter, or a
        // separator (anything else, invalid bytes included).
        size_t length = 1;
        bool keep = is_ascii_alnum(s[at]);
        if (static_cast<unsigned char>(s[at]) >= 0x80) {
            uint32_t cp = 0;
            length = utf8_character(s, at, cp);
            keep = length && is_letter(cp);
            if (!length) length = 1;
        }
        if (keep) {
            const bool dash = gap && !id.empty();
            if (id.view().size() + dash + length > readable_id_limit) break;
            if (dash) id.append('-');
            for (size_t i = at; i < at + length; ++i)
                id.append(s[i] >= 'A' && s[i] <= 'Z' ? static_cast<char>(s[i] - 'A' + 'a') : s[i]);
            gap = false;
        } else {
            gap = true;
        }
        at += length;
    }
    if (id.empty()) id = "section";
    return id;
}
