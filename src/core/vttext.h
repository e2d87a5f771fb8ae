// Text operations on byte strings: number reading, splitting, link-path
// encoding, command-line quoting and line-end normalisation.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/vtstring.h"

class vtarr;

// As the C library's text-to-integer conversion: leading white space, an
// optional sign, digits up to the first other byte; 0 without digits.
// Overflow wraps around at 32 bits.
int32_t vt_read_decimal(std::string_view text);
// As the C library's text-to-double conversion (always in the "C" locale).
double vt_read_real(std::string_view text);
// Hexadecimal digits accumulated over the whole text; any other byte gives 0.
uint32_t vt_read_hex(std::string_view text);

// Cuts text at every separator into the cleared result list, empty pieces
// included. With max_count m > 1 at most m pieces are made (the rest of the
// text is the last one); 0 means no limit; 1 leaves the list untouched. An
// empty separator, or a text shorter than it, gives an empty list.
void vt_split(std::string_view text, std::string_view separator, vtarr& result, int max_count = 0);

// Percent-encodes every byte but ASCII letters, digits, '-', '.', '_', then
// turns each "%2F" back into a slash.
vtstring vt_url_encode_path(std::string_view path);

// Puts a text that holds a blank or a tab (and does not begin with a double
// quote) between double quotes, escaping inner quotes with a backslash.
vtstring vt_quote_command_line(std::string_view text);

// Removes every CR, then turns every LF into CR LF.
vtstring vt_normalize_line_ends(std::string_view text);

// Bytes before the two consecutive zero bytes that end a list.
int32_t vt_double_zero_length(const char* list);
