// breadcrumb: the navigation text that replaces a navigation comment.
#pragma once

#include "core/vthash.h"
#include "core/vtstring.h"
#include "toc/toc_node.h"

// The chain of items from the top level down to item, each as its numbering
// and text, separated by " &gt; ". Every item but the last is a link to its
// `link`; with link_last the last one too.
vtstring breadcrumb(const toc_node* item, bool link_last);
// The same, written into the page `page` of toc (an index of toc.pages):
// a link to an item of another page leads from this page's folder.
vtstring breadcrumb(const toc_node* item, bool link_last, const toc_tree& toc, int32_t page);

// The "link_last" attribute of a navigation comment as a truth value: its
// leading decimal number is non-zero. Absent or without a value: false.
bool link_last_value(const vthash& attributes);
