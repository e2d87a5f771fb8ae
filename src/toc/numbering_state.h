// Removing an old decimal number ("1.4.2. ") from the front of a heading.
#pragma once

#include <cstdint>

#include "html/xml_node.h"

// One per heading: the number may be spread over several text nodes.
struct numbering_state {
    int32_t seen_number = 0;  // a leading digit or dot has been skipped
    int32_t done = 0;         // the heading's own text has begun
    int32_t last_class = 0;   // 1 after copied white space, 2 after another byte
};

// The text nodes of a heading: read text, and the empty node a document
// starts with.
inline bool is_text_node(const xml_node* n) {
    return n->kind == xml_kind::text || n->kind == xml_kind::none;
}

// Removes the old number from the front of one of the heading's text nodes,
// in document order; once the heading's text has begun nothing more changes.
// A run of digits and dots counts as a number only when white space or the
// end of the node follows it.
void strip_numbering(numbering_state& state, xml_node* node, xml_tree& document);

// The length of a number exactly as a build writes it ("1.4.2. ": digits
// and dots, the last part ended by ". ") at the start of s; 0 when s does
// not begin with one.
size_t inserted_number_length(std::string_view s);

// Takes the number a build wrote off the front of a heading's first child:
// when that child is exactly such a number, or, with in_text, when its text
// begins with one. The blank goes with it, so that rebuilding (or clearing)
// does not leave a blank more each time. True when a number was taken.
bool take_inserted_number(numbering_state& state, xml_node* first, bool in_text);
