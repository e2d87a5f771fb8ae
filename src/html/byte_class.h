// byte_class: the classes of bytes that the tokenizer and the tag splitter
// tell apart, one table lookup per byte.
#pragma once

#include <array>
#include <cstdint>

struct byte_class {
    static constexpr uint8_t name_start = 1;  // letters, '_', ':' (a name starts here)
    static constexpr uint8_t name = 2;        // name_start, digits, '-', '.'
    static constexpr uint8_t upper = 4;       // 'A'..'Z'
    static constexpr uint8_t quote = 8;       // '"', '\''
    static constexpr uint8_t blank = 16;      // space, tab, carriage return, line feed
};

inline constexpr std::array<uint8_t, 256> byte_classes = [] {
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const bool upper = c >= 'A' && c <= 'Z';
        const bool start = upper || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
        if (start) t[c] |= byte_class::name_start;
        if (start || (c >= '0' && c <= '9') || c == '-' || c == '.') t[c] |= byte_class::name;
        if (upper) t[c] |= byte_class::upper;
        if (c == '"' || c == '\'') t[c] |= byte_class::quote;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') t[c] |= byte_class::blank;
    }
    return t;
}();

// The classes of c, byte_class bits or'ed together.
constexpr uint8_t byte_class_of(char c) {
    return byte_classes[static_cast<unsigned char>(c)];
}

constexpr bool tag_name_start(char c) {
    return byte_class_of(c) & byte_class::name_start;
}
constexpr bool tag_name_byte(char c) {
    return byte_class_of(c) & byte_class::name;
}
constexpr bool tag_blank(char c) {
    return byte_class_of(c) & byte_class::blank;
}
constexpr bool tag_quote(char c) {
    return byte_class_of(c) & byte_class::quote;
}
