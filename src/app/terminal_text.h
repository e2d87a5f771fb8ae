// File names as the batch mode shows them on a terminal (the progress line)
// and in the -check list: one line each, and nothing in them that a
// terminal would take as a command or that would reorder the text around
// them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// name with every character a terminal could act on replaced by '?': C0
// and C1 controls (a raw line feed, ESC, U+0080 to U+009F), DEL, bytes that
// are not UTF-8 (such as a lone 0x9B, which some terminals read as CSI), the
// line and paragraph separators, and the bidirectional marks, embeddings,
// overrides and isolates. Other UTF-8 characters stay as they are.
std::string printable_name(std::string_view name);

// The columns that text takes on a terminal: two for East Asian wide and
// fullwidth characters, one for any other character or stray byte. Never
// less than the terminal shows (combining marks count one), so a line
// measured here does not wrap.
size_t display_columns(std::string_view text);

// The end of text that fits into width columns, "..." in front when some of
// it was cut; text itself when it fits. Characters stay whole.
std::string tail_in_columns(std::string_view text, size_t width);
