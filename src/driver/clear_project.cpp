#include "driver/clear_project.h"

#include <string>
#include <vector>

#include "driver/build_settings.h"
#include "driver/build_state.h"
#include "driver/page_workers.h"
#include "driver/parallel_pages.h"
#include "driver/process_file.h"
#include "driver/progress_weights.h"
#include "driver/project_run.h"
#include "driver/source_check.h"
#include "project/toc_project.h"
#include "toc/html_toc_rollback.h"

namespace {

// Clears one page into job.output (which may be the page itself); reading
// it moves the run's scale.
int clear_file(const page_job& job, const build_settings& settings, build_state& state) {
    xml_tree document;
    if (state.read_page(job.source, document, &state.scale) != 0) return 1;
    html_toc_rollback rollback;
    settings.configure(rollback);
    rollback.document = &document;
    rollback.remove_anchors = true;
    rollback.clear_document();
    return state.write_page(job.output, document, rollback.old_toc(), nullptr);
}

int clear_pages(const build_settings& settings, build_state& state,
                const std::vector<double>& sizes) {
    for (size_t i = 0; i < settings.sources.size(); ++i) {
        state.scale.current = sizes[i];
        const std::string& s = settings.sources[i];
        if (clear_file({s, s}, settings, state) != 0) return 1;
        state.scale.phase_done();
    }
    return 0;
}

// A page cleared on a worker.
struct cleared_page {
    xml_tree document;
    html_toc_rollback rollback;
};

// clear_pages with the pages read, cleared and written on threads threads.
int clear_pages_parallel(const build_settings& settings, build_state& state,
                         const std::vector<double>& sizes, int threads) {
    parallel_pages<cleared_page> pages(state, settings.sources, threads, [&](cleared_page& page) {
        settings.configure(page.rollback);
        page.rollback.document = &page.document;
        page.rollback.remove_anchors = true;
        page.rollback.clear_document();
    });
    for (size_t i = 0; i < settings.sources.size(); ++i) {
        state.scale.current = sizes[i];
        const std::string& s = settings.sources[i];
        auto& read = pages.take(i);
        if (state.take_read(s, read.read, &state.scale) != 0) return pages.fail();
        auto bytes = std::make_unique<deferred_write>();
        cleared_page& page = *read.page;
        if (state.write_page(s, page.document, page.rollback.old_toc(), nullptr, bytes.get()) != 0)
            return pages.fail();
        pages.write(std::shared_ptr<cleared_page>(std::move(read.page)), std::move(bytes));
        state.scale.phase_done();
        if (pages.settle(false) != 0) return 1;
    }
    return pages.settle(true);
}

// Leaves the old TOC out of the destination; its anchors and numbers stay.
int clear_destination(const build_settings& settings, build_state& state) {
    bool exists = false;
    if (!check_destination(settings, state.error, exists)) return 1;
    // A destination not built yet has nothing to clear.
    if (!exists) return 0;
    xml_tree document;
    if (state.read_page(settings.destination, document, nullptr) != 0) return 1;
    pre_html_toc markers;
    markers.document = &document;
    markers.scan_placement();
    return state.write_page(settings.destination, document, markers.old_toc(), nullptr);
}

// Clears every page into the state's staging: nothing is cleared unless
// every page can be.
// Reading the pages takes most of a run; the bar moves with the share of
// their bytes read, and the destination and the commit take the rest.
int clear_all(const build_settings& settings, build_state& state, int threads) {
    state.scale.weight = progress_weights::cleared_pages;
    if (settings.single) {
        if (!check_patterns(settings, state.error)) return 1;
        if (settings.single_source().empty()) return state.fail(source_missing_text);
        if (!state.begin(settings.outputs(), settings.listed())) return 1;
        return clear_file({settings.single_source(), settings.single_output()}, settings, state);
    }
    std::vector<double> sizes;
    if (!check_sources(settings, state.error, &sizes, &state.files.refs())) return 1;
    if (!state.begin(settings.outputs(), settings.listed())) return 1;
    state.scale.total = 0;
    for (double size : sizes) state.scale.total += size;
    const int pages = threads > 1 && settings.sources.size() > 1
                          ? clear_pages_parallel(settings, state, sizes, threads)
                          : clear_pages(settings, state, sizes);
    return pages != 0 ? 1 : clear_destination(settings, state);
}

}  // namespace

int clear_project(toc_project& project, progress_fn progress, void* context, page_fn pages,
                  const std::atomic<bool>* cancel, int jobs) {
    const int threads = page_workers::threads_for(jobs);
    return run_project(
        project, {progress, context, pages, cancel}, write_policy::commit, clear_cancelled_text,
        [&](const build_settings& settings, build_state& state) {
            state.split_parses = threads > 1;
            return clear_all(settings, state, threads) != 0 || state.commit() != 0 ? 1 : 0;
        },
        [](build_state& state) { state.done(); });
}
