// The hashes a page cache entry is found and checked by (page_cache.h).
#pragma once

#include <string_view>

#include "core/hash128.h"
#include "toc/toc_node.h"

struct build_settings;
struct page_bytes;

// Everything of a run that every page's result depends on: the program's
// version, the cache's own file (so the project), every setting the scan
// and the rendering read, and the template's bytes.
hash128 run_digest(const build_settings& settings, std::string_view cache_file,
                   std::string_view template_bytes);

// A page's bytes at its normal path, under the run's digest.
hash128 page_key(const hash128& digest, std::string_view normal_path, const page_bytes& page);

// The destination's bytes at its normal path with the run's whole TOC
// (every item's place in the tree, texts, links and numbers).
hash128 destination_key(const hash128& digest, std::string_view normal_path,
                        const page_bytes& destination, const toc_tree& toc);

// What a page's scan takes from the pages before it: the items that new
// items may be put under and numbered after (the last item and those
// above it, with their pages), the count of top-level numbers, the page's
// own path and what its navigation links are made of: the page before it
// and the name it goes by, and the contents page (normal paths).
hash128 page_context(const toc_tree& toc, const toc_node* last, std::string_view here,
                     std::string_view previous, std::string_view previous_name,
                     std::string_view contents);
