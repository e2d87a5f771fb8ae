// name_pattern: a pattern for one name in a path.
//
//   *      any run of characters, none included
//   ?      one character
//   [set]  one character of the set: single characters and ranges (a-z);
//          [!set] or [^set] one character not in it; a "]" first in the set,
//          and a "-" first or last, stand for themselves
//   other  itself, byte for byte
//
// A character is a UTF-8 sequence, or a single byte where the bytes are not
// UTF-8, so that names of any bytes can be matched. A set of one character
// ("[*]", "[[]") is that character, which is how a name with a wildcard in
// it is written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class name_pattern {
  public:
    // False when a "[" has no "]" after it; the pattern is then empty.
    bool compile(std::string_view text);
    // True when the whole of name matches.
    bool matches(std::string_view name) const;
    // True when the pattern stands for one name only (no wildcard): literal()
    // is that name.
    bool is_literal() const;
    std::string_view literal() const;
    // A name that begins with "." is hidden: only a pattern that begins with
    // "." itself matches it.
    bool names_hidden() const;

  private:
    struct range {
        uint32_t from;
        uint32_t to;
    };
    struct element {
        enum kind_t { text, any_run, one, set } kind;
        std::string bytes;          // text
        std::vector<range> ranges;  // set
        bool negated = false;       // set
    };

    bool in_set(const element& e, uint32_t c) const;
    // Matches element e at the start of name[at..]: the bytes it took in
    // length; false when it does not match there.
    bool match_one(const element& e, std::string_view name, size_t at, size_t& length) const;

    std::vector<element> elements_;
};

// text with every "*", "?" and "[" made a one-character set, so that a
// pattern holds it as a plain name or folder.
std::string name_pattern_escape(std::string_view text);
