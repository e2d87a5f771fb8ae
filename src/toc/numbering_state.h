// Removing an old decimal number ("1.4.2. ") from the front of a heading.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/vtstring.h"
#include "html/xml_node.h"

// One per heading: the number may be spread over several text nodes.
struct numbering_state {
    bool seen_number = false;  // the old number has been taken out
    bool done = false;         // the heading's own text has begun
};

// The text nodes of a heading: read text, and the empty node a document
// starts with.
inline bool is_text_node(const xml_node* n) {
    return n->kind == xml_kind::text || n->kind == xml_kind::none;
}

// Takes the old number off the front of one of the heading's text nodes, in
// document order, with the white space around it; once the heading's text
// has begun nothing more changes. A run of digits and dots counts as a
// number only when white space or the end of the node follows it ("2001:"
// and "3D" are words). White space before the text stays when no number
// follows it, so a heading without a number keeps every byte.
void strip_numbering(numbering_state& state, xml_node* node);

// The length of a number exactly as a build writes it ("1.4.2. ": digits
// and dots, the last part ended by ". ") at the start of s; 0 when s does
// not begin with one.
size_t inserted_number_length(std::string_view s);

// Whether n is a number in a span as a build writes it:
// <span class="...">1.4.2.</span>, the class free of quotes and angle
// brackets.
bool is_number_span(const xml_node* n);

// Takes the number a build wrote off the front of a heading's first child:
// when that child is exactly such a number, or, with in_text, when its text
// begins with one, or when it is a number span followed by a blank. The blank goes with it, so that
// rebuilding (or clearing) does not leave a blank more each time; the text after it is the
// heading's own and stays as it is. True when a number was taken.
bool take_inserted_number(numbering_state& state, xml_node* first, bool in_text);
