// breadcrumb: the navigation text that replaces a navigation comment.
#pragma once

#include "core/vthash.h"
#include "core/vtstring.h"
#include "toc/toc_node.h"

// The chain of items from the top level down to item, each as its numbering
// and text, separated by " &gt; ". Every item but the last is a link to its
// `link`; with link_last the last one too.
vtstring breadcrumb(const toc_node* item, bool link_last);

// The "link_last" attribute of a navigation comment as a truth value: its
// leading decimal number is non-zero. Absent or without a value: false.
bool link_last_value(const vthash& attributes);
