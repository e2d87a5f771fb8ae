// toc_placement: where a page's new TOC goes and where its old one lies.
#pragma once

#include "html/xml_node.h"

struct toc_placement {
    const xml_node* start_marker = nullptr;
    const xml_node* end_marker = nullptr;
    const xml_node* insertion_point = nullptr;
    bool after_subtree = false;  // the TOC follows the insertion point's subtree
};
