#include "toc/process_file.h"

#include "html/vthtml.h"
#include "project/toc_project.h"
#include "toc/html_toc.h"
#include "toc/render_toc.h"
#include "toc/toc_writer.h"

namespace {

// Copies the project's settings into a scan of one page.
void configure(html_toc& scan, const toc_project& project, xml_tree& document, toc_tree& toc,
               toc_node* last) {
    scan.document = &document;
    scan.toc = &toc;
    scan.current_item = last;
    scan.range_from = project.range_from.to_integer();
    scan.range_to = project.range_to.to_integer();
    scan.process_numbering = project.process_numbering.to_boolean();
    scan.process_title = project.process_title.to_boolean();
    scan.named_anchor_attributes = project.named_anchor_attributes.text();
}

}  // namespace

int process_file(std::string_view source_path, std::string_view output_path, bool insert,
                 const toc_project& project, toc_tree& toc, toc_node*& last, toc_node*& first_new,
                 vtstring& error, progress_fn progress, void* context) {
    build_progress scale{1.0, 1.0, insert ? 0.38 : 0.7, 0, context, progress};
    xml_tree document;
    document.add_leading_empty_node();
    if (read_html_file(source_path, document, error, build_progress::forward, &scale) != 0)
        return 1;
    scale.phase_done();

    toc.indent = project.indent.text();
    html_toc scan;
    configure(scan, project, document, toc, last);
    if (scan.scan_headings() != 0) {
        error = "Memory error occurred\r\n";
        return 1;
    }
    first_new = last ? toc_tree::next(last) : toc.first();
    last = scan.current_item;
    scale.weight = insert ? 0.03 : 0.1;
    scale.report(100);
    scale.phase_done();

    vtarr pieces;
    bool with_toc = false;
    if (insert) {
        const toc_node* start = first_new;
        if (project.process_title.to_boolean() && start && start->heading_level == 0)
            start = toc_tree::next(start);
        with_toc = render_toc(toc, pieces, start, project.template_file.text()) == 0;
        scale.weight = 0.41;
        scale.report(100);
        scale.phase_done();
    }

    // Without a new TOC the page is written exactly as read and scanned, an
    // old TOC included.
    const toc_placement placement = with_toc
                                        ? toc_placement{scan.toc_start_marker, scan.toc_end_marker,
                                                        scan.insertion_point, scan.after_subtree}
                                        : toc_placement{};
    if (!write_page_file(output_path, document, placement, with_toc ? &pieces : nullptr, error))
        return 1;
    if (progress) progress(100, context);
    return 0;
}
