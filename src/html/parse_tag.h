// parse_tag: splits the bytes between a tag's opening '<' (or "</") and its
// closing '>' into the tag name and its attributes.
#pragma once

#include <string_view>

#include "core/vthash.h"
#include "core/vtstring.h"

// name receives the first run of name bytes; attributes (may be null) the
// name/value pairs, a repeated name keeping the last value. lower_case
// lower-cases the tag and attribute names (ASCII letters only);
// backslash_escapes lets a backslash inside quotes take the next byte
// literally; name_only stops at the first blank after the name.
void parse_tag(std::string_view bytes, vtstring& name, vthash* attributes, bool lower_case,
               bool backslash_escapes, bool name_only);

// The value of one attribute as parse_tag would store it under wanted (a
// name in the case lower_case gives), without building the map: true when
// the attribute is there, value then holding it.
bool parse_tag_attribute(std::string_view bytes, std::string_view wanted, vtstring& value,
                         bool lower_case, bool backslash_escapes);

// The tag name alone, as parse_tag finds it: a view into bytes when the name
// stands there as one run already in the wanted case, else built in scratch
// (and the view points into scratch).
std::string_view parse_tag_name(std::string_view bytes, vtstring& scratch, bool lower_case);

// Name bytes: letters, '_', ':', digits, '-', '.'; a name starts only at a
// letter, '_' or ':'. Blanks: space, tab, carriage return, line feed.
bool tag_name_start(char c);
bool tag_name_byte(char c);
bool tag_blank(char c);
