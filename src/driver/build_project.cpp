#include "driver/build_project.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <future>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <system_error>
#include <utility>
#include <vector>

#include "driver/build_settings.h"
#include "driver/build_state.h"
#include "driver/page_cache.h"
#include "driver/page_cache_keys.h"
#include "driver/page_workers.h"
#include "driver/parallel_pages.h"
#include "driver/process_file.h"
#include "driver/progress_weights.h"
#include "driver/project_run.h"
#include "driver/source_check.h"
#include "files/vtfile_path.h"
#include "project/toc_project.h"
#include "toc/page_links.h"
#include "toc/pre_html_toc.h"

namespace {

// Checks a multi-file project; sizes receives the sources' sizes. Linux has
// no drives: every source is on the destination's "drive".
bool validate(const build_settings& settings, build_state& state, std::vector<double>& sizes) {
    if (settings.destination.empty()) {
        state.fail("Destination file must be specified");
        return false;
    }
    return check_sources(settings, state.error, &sizes, &state.files.refs());
}

// Reads the destination. A destination that does not exist yet is created;
// one that exists but cannot be read is not overwritten.
// With whole, a destination the cache may hold is read into whole->bytes
// only (build_state::read_page).
bool read_destination(const build_settings& settings, build_state& state, xml_tree& tree,
                      early_read* whole) {
    bool exists = false;
    if (!check_destination(settings, state.error, exists)) return false;
    if (!exists) {
        tree.add_leading_empty_node();
        return true;
    }
    return state.read_page(settings.destination, tree, &state.scale, whole) == 0;
}

// For a destination read whole: true when the cache knows it stays as it is
// with this run's TOC; else its document parsed from the bytes, and its key
// kept for the cache. False with state.error set when the parse failed.
bool take_destination(const build_settings& settings, early_read& whole, build_state& state,
                      xml_tree& tree, bool& unchanged, site_toc_ahead& ahead) {
    const hash128 key = destination_key(
        state.cache_digest, vtfile_normal_path(settings.destination), whole.bytes, state.toc);
    const cached_page* found = state.cache->find(key);
    unchanged = found != nullptr;
    if (found) {
        replay_page_progress(whole.bytes, build_progress::forward, &state.scale);
        state.cache->keep(settings.destination, found);
        return true;
    }
    if (state.split_parses) ahead.start(settings.template_file, state.toc);
    tree.add_leading_empty_node();
    if (parse_page_bytes(whole.bytes, settings.destination, tree, state.error,
                         build_progress::forward, &state.scale, page_fold_rules(),
                         state.split_parses) != 0)
        return false;
    state.cache->keep(settings.destination, cached_page{key, {}, {}});
    return true;
}

// Links the items of page from the destination from now on.
void link_from_destination(const std::string& destination_path, const scanned_page& page,
                           build_state& state) {
    state.toc.link_from_destination(
        page.index, page_link(destination_path, state.toc.pages[static_cast<size_t>(page.index)]));
}

// Writes a page that waited for the next one to be scanned (none: it was
// the last), then completes its items' links for the destination.
int write_held_page(scanned_page& held, const scanned_page* next, const std::string& destination,
                    const build_settings& settings, build_state& state) {
    if (write_scanned_page(held, next, settings, state, false) != 0) return 1;
    link_from_destination(destination, held, state);
    return 0;
}

// Scans and writes every page of a site, one after another: 0, or 1 with
// the error of the first page that failed.
int build_pages(const build_settings& settings, build_state& state,
                const std::vector<double>& sizes, const std::string& destination_path) {
    // A page is written once the next one is scanned: its link to the next
    // page needs that page's first item.
    std::unique_ptr<scanned_page> held;
    for (size_t i = 0; i < settings.sources.size(); ++i) {
        const std::string& s = settings.sources[i];
        state.scale.current = sizes[i];
        auto page = std::make_unique<scanned_page>();
        if (scan_page({s, s, settings.insert_local_toc, state.caches(i)},
                      {held.get(), destination_path}, settings, state, *page) != 0)
            return 1;
        // The page counts as done once scanned; its writing follows unseen.
        state.scale.report(100);
        state.scale.phase_done();
        if (held && write_held_page(*held, page.get(), destination_path, settings, state) != 0)
            return 1;
        held = std::move(page);
    }
    return held ? write_held_page(*held, nullptr, destination_path, settings, state) : 0;
}

// write_held_page with the page's bytes written by a worker.
int write_held_later(parallel_pages<scanned_page>& pages, std::unique_ptr<scanned_page> held,
                     const scanned_page* next, const std::string& destination,
                     const build_settings& settings, build_state& state) {
    if (held->from_cache) return write_held_page(*held, next, destination, settings, state);
    auto bytes = std::make_unique<deferred_write>();
    if (write_scanned_page(*held, next, settings, state, false, bytes.get()) != 0) return 1;
    link_from_destination(destination, *held, state);
    pages.write(std::move(held), std::move(bytes));
    return 0;
}

// build_pages with the reading and writing of pages on threads threads.
int build_pages_parallel(const build_settings& settings, build_state& state,
                         const std::vector<double>& sizes, const std::string& destination_path,
                         int threads) {
    parallel_pages<scanned_page> pages(state, settings.sources, threads, [&](scanned_page& page) {
        settings.configure(page.scan);
        page.scan.document = &page.document;
        page.scan.prepare();
    });
    std::unique_ptr<scanned_page> held;
    for (size_t i = 0; i < settings.sources.size(); ++i) {
        const std::string& s = settings.sources[i];
        state.scale.current = sizes[i];
        auto& read = pages.take(i);
        if (scan_page({s, s, settings.insert_local_toc, state.caches(i)},
                      {held.get(), destination_path}, settings, state, *read.page, &read.read) != 0)
            return pages.fail();
        state.scale.report(100);
        state.scale.phase_done();
        if (held && write_held_later(pages, std::move(held), read.page.get(), destination_path,
                                     settings, state) != 0)
            return pages.fail();
        held = std::move(read.page);
        if (pages.settle(false) != 0) return 1;
    }
    if (held &&
        write_held_later(pages, std::move(held), nullptr, destination_path, settings, state) != 0)
        return pages.fail();
    return pages.settle(true);
}

// The whole file at path; false when it cannot be read.
bool read_whole(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    bytes = std::move(all).str();
    return in.good() || in.eof();
}

// What a run's page cache is made from: its file, the run's digest and the
// file's bytes; no file when the run cannot use one (no cache folder, no
// template to digest). Touches nothing of the run, so that the bytes are
// read while the sources are checked; the entries are made by the run's
// thread, whose heap has room for them ready.
struct cache_file {
    std::string file;
    hash128 digest;
    vtstring bytes;
};

cache_file read_cache(const build_settings& settings, std::string_view cache_for) {
    cache_file read{page_cache::file_for(cache_for), {}, {}};
    std::string template_bytes;
    if (read.file.empty() || !read_whole(settings.template_file, template_bytes)) return {};
    read.digest = run_digest(settings, read.file, template_bytes);
    read.bytes = page_cache::read(read.file);
    return read;
}

// Lets the run use cache. Pages that the run writes more than once (a file
// listed twice, or the destination) are never cached: what the run read of
// them is not what it leaves.
void use_cache(const build_settings& settings, const hash128& digest, page_cache& cache,
               build_state& state) {
    state.cache_digest = digest;
    state.cache = &cache;
    struct stat st {};
    std::set<std::pair<dev_t, ino_t>> seen;
    std::set<std::pair<dev_t, ino_t>> twice;
    const auto identity = [&](const std::string& path) -> std::optional<std::pair<dev_t, ino_t>> {
        if (const page_ref* ref = state.files.refs().find(path); ref && ref->exists)
            return std::pair{ref->st.st_dev, ref->st.st_ino};
        if (::stat(path.c_str(), &st) != 0) return std::nullopt;
        return std::pair{st.st_dev, st.st_ino};
    };
    const auto destination = identity(settings.destination);
    if (destination) seen.insert(*destination), twice.insert(*destination);
    std::vector<std::optional<std::pair<dev_t, ino_t>>> ids;
    for (const std::string& source : settings.sources) {
        ids.push_back(identity(source));
        if (ids.back() && !seen.insert(*ids.back()).second) twice.insert(*ids.back());
    }
    for (const auto& id : ids) state.cacheable.push_back(id && !twice.contains(*id));
    state.destination_cacheable =
        destination && std::find(ids.begin(), ids.end(), destination) == ids.end();
}

int build_multi(const build_settings& settings, build_state& state, int threads,
                std::string_view cache_for) {
    // Read while the sources are checked: a millisecond or two of a rebuild
    // that takes a few tens. Waited for before the run ends.
    std::future<cache_file> reading;
    if (!cache_for.empty()) {
        try {
            reading =
                std::async(std::launch::async, [&] { return read_cache(settings, cache_for); });
        } catch (const std::system_error&) {
            // No thread to be had: read after the check instead.
        }
    }
    std::vector<double> sizes;
    if (!validate(settings, state, sizes)) return BUILD_FAILED;
    if (!state.begin(settings.outputs(), settings.listed())) return BUILD_FAILED;
    std::optional<page_cache> cache;
    if (!cache_for.empty()) {
        cache_file read = reading.valid() ? reading.get() : read_cache(settings, cache_for);
        if (!read.file.empty()) {
            cache.emplace(std::move(read.file), read.digest, read.bytes);
            use_cache(settings, read.digest, *cache, state);
        }
    }
    double total = 0;
    for (double size : sizes) total += size;
    // Links are taken between absolute, normal paths, whatever the spelling.
    const std::string destination_path = vtfile_normal_path(settings.destination);
    state.scale.total = total;
    state.scale.weight = settings.insert_local_toc ? progress_weights::site_pages_with_local_tocs
                                                   : progress_weights::site_pages;
    const int pages = threads > 1 && settings.sources.size() > 1
                          ? build_pages_parallel(settings, state, sizes, destination_path, threads)
                          : build_pages(settings, state, sizes, destination_path);
    if (pages != 0) return BUILD_PAGE_FAILED;

    state.scale.weight = progress_weights::destination;
    xml_tree destination;
    early_read whole;
    // The site's TOC is rendered beside the destination's parse, unless the
    // cache may show that the destination stays as it is.
    site_toc_ahead ahead;
    const bool cacheable = state.cache && state.destination_cacheable;
    if (state.split_parses && !cacheable) ahead.start(settings.template_file, state.toc);
    if (!read_destination(settings, state, destination, cacheable ? &whole : nullptr))
        return BUILD_FAILED;
    bool unchanged = false;
    if (whole.whole && !take_destination(settings, whole, state, destination, unchanged, ahead))
        return BUILD_FAILED;
    state.scale.phase_done();
    pre_html_toc placement;
    placement.document = &destination;
    if (!unchanged) placement.scan_placement();

    // The template is checked before the destination is touched.
    toc_renderer renderer;
    ahead.take();
    if (ahead.started() ? !ahead.opened() : !renderer.open(settings.template_file))
        return state.fail(template_error_message(settings.template_file));
    const toc_rendering site{renderer,  settings.template_file,
                             state.toc, state.toc.first(),
                             nullptr,   ahead.started() ? &ahead : nullptr};
    if ((unchanged ? state.keep_page(settings.destination)
                   : state.write_page(settings.destination, destination, placement.placement(),
                                      &site)) != 0)
        return BUILD_FAILED;
    // Taken before the commit, which forgets them.
    const std::vector<std::string_view> changed = state.files.changed();
    if (state.commit() != 0) return BUILD_FAILED;
    if (cache) cache->save(changed);
    state.done();
    return BUILD_OK;
}

int build_single(const build_settings& settings, build_state& state) {
    if (!check_patterns(settings, state.error)) return BUILD_FAILED;
    if (settings.single_source().empty()) return state.fail(source_missing_text);
    if (!state.begin(settings.outputs(), settings.listed())) return BUILD_FAILED;
    scanned_page page;
    if (scan_page({settings.single_source(), settings.single_output(), true}, {}, settings, state,
                  page) != 0 ||
        write_scanned_page(page, nullptr, settings, state, true) != 0 || state.commit() != 0)
        return BUILD_FAILED;
    return BUILD_OK;
}

// Builds with the project's settings under policy, and hands a successful
// run's state to done.
template <class Done>
int run_build(toc_project& project, const run_caller& caller, write_policy policy, int jobs,
              std::string_view cache_for, Done done) {
    const int threads = page_workers::threads_for(jobs);
    return run_project(
        project, caller, policy, build_cancelled_text,
        [&](const build_settings& settings, build_state& state) {
            state.split_parses = threads > 1;
            return settings.single ? build_single(settings, state)
                                   : build_multi(settings, state, threads, cache_for);
        },
        done);
}

}  // namespace

int build_project(toc_project& project, progress_fn progress, void* context, page_fn pages,
                  const std::atomic<bool>* cancel, int jobs, std::string_view cache_for) {
    return run_build(project, {progress, context, pages, cancel}, write_policy::commit, jobs,
                     cache_for, [](build_state&) {});
}

int check_project(toc_project& project, std::vector<std::string>& changed, progress_fn progress,
                  void* context, page_fn pages, int jobs, std::string_view cache_for) {
    return run_build(project, {progress, context, pages, nullptr}, write_policy::check, jobs,
                     cache_for, [&](build_state& state) {
                         for (std::string_view file : state.files.changed())
                             changed.emplace_back(file);
                     });
}
