// page_link_scan: what a link check needs of one page, as a browser reads
// it: the names that links may point at, its links, and the ids it holds
// more than once.
//
// Only tags a browser reads as tags count (not those inside a script, a
// style element, an attribute value or a comment). Attribute values are
// taken with their character references decoded, a repeated attribute with
// its first value.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "html/xml_node.h"

struct page_link_scan {
    // What the page shows, in document order: a link (the href of an "a",
    // "area" or "link" element), or an id that an earlier element holds too
    // (once for each such id).
    struct item {
        bool duplicate_id = false;
        std::string written;  // the attribute value as written in the page
        std::string value;    // the same, references decoded
    };
    // Ids of every element and names of "a" elements: what a fragment can
    // name.
    std::unordered_set<std::string> targets;
    std::vector<item> items;
    // The href of the page's first "base" element that has one (decoded);
    // empty when none.
    std::string base;
};

// Scans document (read with the empty node first, as the build reads it).
page_link_scan scan_page_links(const xml_tree& document);
