// Headings that show no text get no TOC entry: an entry of blanks would be
// an invisible link.
#pragma once

#include "html/xml_node.h"

// True when the text of heading (its text nodes, tags aside) is only white
// space and no-break spaces (as bytes or as the references "&nbsp;",
// "&#160;", "&#xA0;"), or nothing.
bool is_blank_heading(const xml_node* heading);
