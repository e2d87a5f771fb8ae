// One page of a build: read, scan, optionally render a local TOC, write.
#pragma once

#include <string_view>

struct build_settings;
class build_state;

// Where one page of a build comes from and where it goes.
struct page_job {
    std::string_view source;
    std::string_view output;  // may be the source itself
    bool insert = false;      // with a TOC of the page's own items
};

// Reads job.source, gives its headings anchors and adds its items to
// state.toc after state.last (which becomes the page's last item;
// state.page_first receives its first), and writes the page to job.output,
// reporting through state.scale. 0, or 1 with state.error set.
int process_file(const page_job& job, const build_settings& settings, build_state& state);
