#include "toc/clear_project.h"

#include "core/vtfile.h"
#include "html/vthtml.h"
#include "project/toc_project.h"
#include "toc/html_toc_rollback.h"
#include "toc/memory_guard.h"
#include "toc/source_check.h"
#include "toc/toc_writer.h"

namespace {

bool write_page(std::string_view path, const xml_tree& document, const pre_html_toc& markers,
                vtstring& error) {
    return write_page_file(path, document,
                           {markers.toc_start_marker, markers.toc_end_marker, nullptr}, nullptr,
                           error);
}

// Leaves the old TOC out of the destination; its anchors and numbers stay.
int clear_destination(toc_project& project, progress_fn progress, void* context) {
    std::string_view path = project.destination.text();
    bool exists = false;
    if (!check_destination(project, exists)) return 1;
    if (!exists) {
        // Nothing built there yet: nothing to clear.
        if (progress) progress(100, context);
        return 0;
    }
    xml_tree document;
    document.add_leading_empty_node();
    if (read_html_file(path, document, project.error_message, nullptr, nullptr) != 0) return 1;
    pre_html_toc markers;
    markers.document = &document;
    markers.scan_placement();
    if (!write_page(path, document, markers, project.error_message)) return 1;
    if (progress) progress(100, context);
    return 0;
}

}  // namespace

int clear_file(std::string_view source_path, std::string_view output_path, toc_project& project,
               progress_fn progress, void* context) {
    xml_tree document;
    document.add_leading_empty_node();
    if (read_html_file(source_path, document, project.error_message, nullptr, nullptr) != 0)
        return 1;
    html_toc_rollback rollback;
    rollback.document = &document;
    rollback.range_from = project.range_from.to_integer();
    rollback.range_to = project.range_to.to_integer();
    rollback.process_numbering = project.process_numbering.to_boolean();
    rollback.remove_anchors = true;
    if (rollback.clear_document() != 0) {
        project.error_message = "Memory error occurred\r\n";
        return 1;
    }
    if (!write_page(output_path, document, rollback, project.error_message)) return 1;
    if (progress) progress(100, context);
    return 0;
}

namespace {

int clear_all(toc_project& project, progress_fn progress, void* context) {
    if (project.single())
        return clear_file(project.single_source(), project.single_output(), project, progress,
                          context);
    if (!check_sources(project, nullptr)) return 1;
    // Every page is cleared even when one fails; the first failure is
    // reported afterwards.
    vtstring first_error;
    for (const vtval& s : project.source) {
        if (clear_file(s.text(), s.text(), project, nullptr, nullptr) != 0 && first_error.empty())
            first_error = project.error_message;
    }
    if (clear_destination(project, progress, context) != 0 && first_error.empty())
        first_error = project.error_message;
    if (!first_error.empty()) {
        project.error_message = first_error;
        return 1;
    }
    return 0;
}

}  // namespace

int clear_project(toc_project& project, progress_fn progress, void* context) {
    return run_guarded(project, [&] { return clear_all(project, progress, context); });
}
