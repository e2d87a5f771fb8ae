#include "driver/process_file.h"

#include "driver/build_settings.h"
#include "driver/build_state.h"
#include "driver/page_cache_keys.h"
#include "driver/progress_weights.h"
#include "toc/nav_text.h"
#include "toc/page_links.h"

namespace {

// The first item of a page's own TOC: a page title never lists itself.
const toc_node* local_toc_start(const build_settings& settings, const toc_node* first) {
    if (settings.process_title && first && first->heading_level == 0) return toc_tree::next(first);
    return first;
}

const std::string& path_of(const build_state& state, const scanned_page& page) {
    return state.toc.pages[static_cast<size_t>(page.index)];
}

// What a page's navigation links are made of: the page before it (none:
// empty) with the name it goes by there, and the contents page. A page's
// context holds these rather than the links, which only a page that is
// scanned needs.
struct nav_sources {
    std::string_view previous;
    vtstring previous_name;
    std::string_view contents;
};

// The context hash of a page about to be scanned.
hash128 context_of(const build_state& state, const scanned_page& page, const nav_sources& nav) {
    return page_context(state.toc, state.last, path_of(state, page), nav.previous,
                        nav.previous_name.view(), nav.contents);
}

void make_nav_links(std::string_view here, const nav_sources& nav, html_toc& scan) {
    if (!nav.previous.empty())
        scan.prev_page_link = page_nav_link(here, nav.previous, nav.previous_name.view(), "prev");
    if (!nav.contents.empty())
        scan.contents_link = page_nav_link(here, nav.contents, "Contents", "contents");
}

// For a page read whole: its items from the cache when the cache has its
// bytes in its context; else its document parsed from the bytes (unless a
// worker parsed it), for the scan. look_up: the cache was not asked yet.
int take_cached(early_read& got, bool look_up, const hash128& context, hash128& key,
                build_state& state, scanned_page& page) {
    key = got.key;
    const cached_page* found = look_up ? state.cached(page.job.source, got.bytes, key) : got.found;
    if (found && found->context == context) {
        replay_page_progress(got.bytes, build_progress::forward, &page.scale);
        found->each([&](const cached_item& item, std::string_view text, std::string_view link) {
            page.scan.replay_item(item.level, item.unnumbered, text, link);
        });
        page.from_cache = true;
        state.cache->keep(page.job.output, found);
        return 0;
    }
    if (!look_up && !found) return 0;  // parsed by the worker
    page.document.add_leading_empty_node();
    return parse_page_bytes(got.bytes, page.job.source, page.document, state.error,
                            build_progress::forward, &page.scale, page_fold_rules(),
                            state.split_parses);
}

// Keeps a page just scanned for the page cache, unless its result depends
// on more than its bytes and context: the next page, or the time.
void keep_scanned(const hash128& key, const hash128& context, build_state& state,
                  const scanned_page& page) {
    if (!page.scan.next_page_slots.empty() || page.scan.used_time_stamp()) return;
    cached_page made{key, context, {}, {}};
    for (const toc_node* n = page.first; n && n->page == page.index; n = toc_tree::next(n))
        made.add(n->heading_level, n->unnumbered_branch, n->text(), n->link());
    state.cache->keep(page.job.output, std::move(made));
}

}  // namespace

int scan_page(const page_job& job, const page_neighbours& neighbours,
              const build_settings& settings, build_state& state, scanned_page& page,
              early_read* read) {
    page.job = job;
    page.scale = {.weight = job.insert ? progress_weights::page_read_with_local_toc
                                       : progress_weights::page_read,
                  .context = &state.scale,
                  .callback = build_progress::forward};
    early_read own;
    if ((read ? state.take_read(job.source, *read, &page.scale)
              : state.read_page(job.source, page.document, &page.scale,
                                job.cached ? &own : nullptr)) != 0)
        return 1;
    early_read& got = read ? *read : own;
    if (!got.whole) page.scale.phase_done();

    state.toc.indent = settings.indent;
    html_toc& scan = page.scan;
    settings.configure(scan);
    scan.document = &page.document;
    scan.toc = &state.toc;
    scan.current_item = state.last;
    state.toc.pages.push_back(state.normal_path(job.source));
    page.index = static_cast<int32_t>(state.toc.pages.size()) - 1;
    scan.page = page.index;
    nav_sources nav{{}, {}, neighbours.contents};
    if (const scanned_page* previous = neighbours.previous) {
        nav.previous = path_of(state, *previous);
        nav.previous_name = page_nav_name(previous->first, nav.previous);
    }
    hash128 context;
    hash128 key;
    if (got.whole) {
        context = context_of(state, page, nav);
        if (take_cached(got, read == nullptr, context, key, state, page) != 0) return 1;
        page.scale.phase_done();
    }
    if (!page.from_cache) {
        make_nav_links(path_of(state, page), nav, scan);
        scan.scan_headings();
    }
    page.first = state.last ? toc_tree::next(state.last) : state.toc.first();
    state.last = scan.current_item;
    if (got.whole && !page.from_cache) keep_scanned(key, context, state, page);
    page.scale.weight =
        job.insert ? progress_weights::page_scan_with_local_toc : progress_weights::page_scan;
    page.scale.report(100);
    page.scale.phase_done();
    return 0;
}

int write_scanned_page(scanned_page& page, const scanned_page* next, const build_settings& settings,
                       build_state& state, bool report, deferred_write* later) {
    if (!page.scan.next_page_slots.empty() && next) {
        const vtstring link =
            page_nav_link(path_of(state, page), path_of(state, *next),
                          page_nav_name(next->first, path_of(state, *next)).view(), "next");
        for (xml_node* slot : page.scan.next_page_slots)
            set_nav_text(page.document, slot, link.view());
    }
    const page_job& job = page.job;
    if (page.from_cache) {
        // Its bytes stay as they are: nothing to write, and no TOC to render.
        if (state.keep_page(job.output) != 0) return 1;
    } else if (!job.insert) {
        // Without a new TOC the page is written exactly as read and scanned,
        // an old TOC included.
        if (state.write_page(job.output, page.document, toc_placement{}, nullptr, later) != 0)
            return 1;
    } else {
        const toc_rendering local{state.local_tocs, settings.template_file, state.toc,
                                  local_toc_start(settings, page.first),
                                  next ? next->first : nullptr};
        if (state.write_page(job.output, page.document, page.scan.placement(), &local, later) != 0)
            return 1;
    }
    // A cached page's local TOC stands as it was: its phase counts all the same.
    if (report && job.insert) {
        page.scale.weight = progress_weights::page_local_toc;
        page.scale.report(100);
        page.scale.phase_done();
    }
    if (report) state.scale.report(100);
    return 0;
}
