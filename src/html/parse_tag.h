// parse_tag: splits the bytes between a tag's opening '<' (or "</") and its
// closing '>' into the tag name and its attributes.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/vthash.h"
#include "core/vtstring.h"
#include "html/byte_class.h"

// How a tag is split; combine with |.
enum class tag_flags : uint8_t {
    none = 0,
    lower_case = 1,         // tag and attribute names lower-cased (ASCII letters only)
    backslash_escapes = 2,  // inside quotes a backslash takes the next byte literally
    name_only = 4,          // stop at the first blank after the name
    first_wins = 8,         // parse_tag_attribute: a repeated name keeps its first value
};

constexpr tag_flags operator|(tag_flags a, tag_flags b) {
    return static_cast<tag_flags>(static_cast<uint8_t>(a) | static_cast<uint8_t>(b));
}
// True when every flag of wanted is in flags.
constexpr bool has(tag_flags flags, tag_flags wanted) {
    return (static_cast<uint8_t>(flags) & static_cast<uint8_t>(wanted)) ==
           static_cast<uint8_t>(wanted);
}

// name receives the first run of name bytes (byte_class.h); attributes (may
// be null) the name/value pairs, a repeated name keeping the last value.
void parse_tag(std::string_view bytes, vtstring& name, vthash* attributes, tag_flags flags);

// The value of one attribute as parse_tag would store it under wanted (a
// name in the case the flags give), without building the map: true when
// the attribute is there, value then holding it. With first_wins a repeated
// name gives its first value, as a browser reads a page's tags. name_only
// is ignored. With name, it receives the tag name as parse_tag gives it.
bool parse_tag_attribute(std::string_view bytes, std::string_view wanted, vtstring& value,
                         tag_flags flags, vtstring* name = nullptr);
// Whether parse_tag_attribute finds the attribute; its value is not kept.
bool parse_tag_has_attribute(std::string_view bytes, std::string_view wanted, tag_flags flags);

// The tag name alone, as parse_tag finds it with name_only (only lower_case
// counts of the flags): a view into bytes when the name stands there as one
// run already in the wanted case, else built in scratch (and the view points
// into scratch).
std::string_view parse_tag_name(std::string_view bytes, vtstring& scratch, tag_flags flags);
