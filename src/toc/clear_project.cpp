#include "toc/clear_project.h"

#include "project/toc_project.h"
#include "toc/build_settings.h"
#include "toc/build_state.h"
#include "toc/html_toc_rollback.h"
#include "toc/memory_guard.h"
#include "toc/process_file.h"
#include "toc/source_check.h"

namespace {

// Clears one page into job.output (which may be the page itself).
int clear_file(const page_job& job, const build_settings& settings, build_state& state) {
    xml_tree document;
    if (state.read_page(job.source, document, nullptr) != 0) return 1;
    html_toc_rollback rollback;
    settings.configure(rollback);
    rollback.document = &document;
    rollback.remove_anchors = true;
    if (rollback.clear_document() != 0) return state.fail(scan_failed_text);
    return state.write_page(job.output, document, rollback.old_toc(), nullptr);
}

// Leaves the old TOC out of the destination; its anchors and numbers stay.
int clear_destination(const build_settings& settings, build_state& state) {
    bool exists = false;
    if (!check_destination(settings, state.error, exists)) return 1;
    // A destination not built yet has nothing to clear.
    if (exists) {
        xml_tree document;
        if (state.read_page(settings.destination, document, nullptr) != 0) return 1;
        pre_html_toc markers;
        markers.document = &document;
        markers.scan_placement();
        if (state.write_page(settings.destination, document, markers.old_toc(), nullptr) != 0)
            return 1;
    }
    state.done();
    return 0;
}

int clear_all(const build_settings& settings, build_state& state) {
    if (settings.single) {
        const int result =
            clear_file({settings.single_source(), settings.single_output()}, settings, state);
        if (result == 0) state.done();
        return result;
    }
    if (!check_sources(settings, state.error, nullptr)) return 1;
    // Every page is cleared even when one fails; the first failure is
    // reported afterwards.
    vtstring first_error;
    for (const std::string& s : settings.sources) {
        if (clear_file({s, s}, settings, state) != 0 && first_error.empty())
            first_error = state.error;
    }
    if (clear_destination(settings, state) != 0 && first_error.empty()) first_error = state.error;
    if (!first_error.empty()) return state.fail(first_error.view());
    return 0;
}

}  // namespace

int clear_project(toc_project& project, progress_fn progress, void* context, page_fn pages) {
    return run_guarded(project, [&] {
        const build_settings settings = build_settings::of(project);
        build_state state(progress, context, pages);
        const int result = clear_all(settings, state);
        if (result != 0) project.error_message = std::move(state.error);
        return result;
    });
}
