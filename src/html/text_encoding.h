// Telling pages in UTF-16 or UTF-32 from the 8-bit pages the tool reads.
#pragma once

#include <string_view>

// True when a file that begins with these bytes is UTF-16 or UTF-32: it
// starts with a byte-order mark of either (FF FE, FE FF, 00 00 FE FF), or
// its first bytes (up to 64, at least 4) are characters below 256 with the
// zero bytes of one of those encodings in between. Such a page read as bytes
// would be rewritten with 8-bit markup in its midst.
bool is_utf16_or_utf32(std::string_view first_bytes);
