// One page of a build: read and scan it, then write it with its local TOC.
//
// The two steps are apart so that a site's page can wait, scanned, until
// the next page is scanned too: its link to the next page and its local
// TOC (which ends where the next page's items begin) need that page. A run
// holds at most two pages at a time.
#pragma once

#include <cstdint>
#include <string_view>

#include "driver/build_progress.h"
#include "html/xml_node.h"
#include "toc/html_toc.h"

struct build_settings;
class build_state;
struct early_read;
struct deferred_write;

// Where one page of a build comes from and where it goes.
struct page_job {
    std::string_view source;
    std::string_view output;  // may be the source itself
    bool insert = false;      // with a TOC of the page's own items
    bool cached = false;      // looked up in and kept for the page cache
};

// A page read and scanned, waiting to be written. Its scan points into its
// document: it stays where it was made.
struct scanned_page {
    page_job job;
    xml_tree document;
    html_toc scan;
    // The page's first item (null when it has none) and its index in the
    // run's pages.
    toc_node* first = nullptr;
    int32_t index = -1;
    // The page's own phases, reported through the run's scale.
    build_progress scale;
    // The page's items came from the page cache: its document is empty,
    // and its bytes stay as they are.
    bool from_cache = false;
};

// What a page's navigation links to besides itself: the page before it in
// the project's order, and the destination (empty for none).
struct page_neighbours {
    const scanned_page* previous = nullptr;
    std::string_view contents;  // a normal path
};

// Reads job.source into page, gives its headings anchors and adds its items
// to state.toc after state.last (which becomes the page's last item),
// reporting through state.scale. With read, the page's document was read on
// another thread already and only what that told is taken. A page of
// job.cached whose bytes and context the page cache knows is not parsed:
// its items are taken from the cache. 0, or 1 with state.error set.
int scan_page(const page_job& job, const page_neighbours& neighbours,
              const build_settings& settings, build_state& state, scanned_page& page,
              early_read* read = nullptr);

// Writes a scanned page to its output: its link to the next page, and its
// local TOC with the items up to the next page's (next null: none follows).
// With report, its writing phases move the run's scale. With later, the
// page is only made ready for write_deferred (build_state::write_page). 0,
// or 1 with state.error set.
int write_scanned_page(scanned_page& page, const scanned_page* next, const build_settings& settings,
                       build_state& state, bool report, deferred_write* later = nullptr);
