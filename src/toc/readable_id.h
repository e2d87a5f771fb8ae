// readable_id: the id a heading gets from its text when it has none.
#pragma once

#include <string_view>

#include "core/vtstring.h"

// Longest readable id, in bytes.
inline constexpr size_t readable_id_limit = 64;

// The heading's text (HTML, tags already removed) with its character
// references decoded, ASCII letters lower-cased, letters and digits kept
// (UTF-8 letters byte for byte), every other run of characters one '-' and
// none at either end; at most readable_id_limit bytes, cut between two
// characters. "section" when nothing is left.
vtstring readable_id(std::string_view heading_text);
