// html_references: the character references of HTML text ("&eacute;",
// "&#233;", "&#xE9;") decoded into UTF-8.
//
// Known are the numeric references and the named ones of HTML 4 (Latin-1,
// symbols, Greek, punctuation), which cover what headings hold in practice.
// A reference needs its closing ';'; an unknown name is left as written.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/vtstring.h"

// Appends text to out with its character references decoded. A numeric
// reference to 0, a surrogate or a value past U+10FFFF gives U+FFFD.
void append_html_decoded(std::string_view text, vtstring& out);

// Appends code point cp as UTF-8.
void append_utf8(uint32_t cp, vtstring& out);
