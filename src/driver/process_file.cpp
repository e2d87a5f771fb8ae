#include "driver/process_file.h"

#include "driver/build_settings.h"
#include "driver/build_state.h"
#include "files/vtfile_path.h"
#include "toc/html_toc.h"

namespace {

// The first item of a page's own TOC: a page title never lists itself.
const toc_node* local_toc_start(const build_settings& settings, const toc_node* first) {
    if (settings.process_title && first && first->heading_level == 0) return toc_tree::next(first);
    return first;
}

}  // namespace

int process_file(const page_job& job, const build_settings& settings, build_state& state) {
    // The page's own phases, reported through the run's scale.
    build_progress scale{.weight = job.insert ? 0.38 : 0.7,
                         .context = &state.scale,
                         .callback = build_progress::forward};
    xml_tree document;
    if (state.read_page(job.source, document, &scale) != 0) return 1;
    scale.phase_done();

    state.toc.indent = settings.indent;
    html_toc scan;
    settings.configure(scan);
    scan.document = &document;
    scan.toc = &state.toc;
    scan.current_item = state.last;
    state.toc.pages.push_back(vtfile_normal_path(job.source));
    scan.page = static_cast<int32_t>(state.toc.pages.size()) - 1;
    if (scan.scan_headings() != 0) return state.fail(scan_failed_text);
    state.page_first = state.last ? toc_tree::next(state.last) : state.toc.first();
    state.last = scan.current_item;
    scale.weight = job.insert ? 0.03 : 0.1;
    scale.report(100);
    scale.phase_done();

    if (!job.insert) {
        // Without a new TOC the page is written exactly as read and scanned,
        // an old TOC included.
        if (state.write_page(job.output, document, toc_placement{}, nullptr) != 0) return 1;
        state.scale.report(100);
        return 0;
    }
    toc_renderer renderer;
    const toc_rendering local{renderer, settings.template_file, state.toc,
                              local_toc_start(settings, state.page_first)};
    if (state.write_page(job.output, document, scan.placement(), &local) != 0) return 1;
    scale.weight = 0.41;
    scale.report(100);
    scale.phase_done();
    state.scale.report(100);
    return 0;
}
