#include "toc/process_file.h"

#include "core/atomic_file.h"
#include "core/page_size_limit.h"
#include "html/vthtml.h"
#include "project/toc_project.h"
#include "toc/html_toc.h"
#include "toc/page_links.h"
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

int write_failure(const atomic_file& file, std::string_view path, vtstring& error) {
    error = vtfile_error_message(file.error(), path);
    return 1;
}

int template_failure(std::string_view path, vtstring& error) {
    error = "Can't open template file: ";
    error.append(path);
    return 1;
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
    toc.pages.push_back(normal_page_path(source_path));
    scan.page = static_cast<int32_t>(toc.pages.size()) - 1;
    if (scan.scan_headings() != 0) {
        error = "Memory error occurred\r\n";
        return 1;
    }
    first_new = last ? toc_tree::next(last) : toc.first();
    last = scan.current_item;
    scale.weight = insert ? 0.03 : 0.1;
    scale.report(100);
    scale.phase_done();

    if (!insert) {
        // Without a new TOC the page is written exactly as read and scanned,
        // an old TOC included.
        if (!write_page_file(output_path, document, toc_placement{}, nullptr, error)) return 1;
        if (progress) progress(100, context);
        return 0;
    }

    const toc_node* start = first_new;
    if (project.process_title.to_boolean() && start && start->heading_level == 0)
        start = toc_tree::next(start);
    toc_renderer renderer;
    if (write_page_with_toc(
            output_path, document,
            {scan.toc_start_marker, scan.toc_end_marker, scan.insertion_point, scan.after_subtree},
            renderer, project.template_file.text(), toc, start, error) != 0)
        return 1;
    scale.weight = 0.41;
    scale.report(100);
    scale.phase_done();
    if (progress) progress(100, context);
    return 0;
}

int write_page_with_toc(std::string_view path, const xml_tree& document,
                        const toc_placement& placement, toc_renderer& renderer,
                        std::string_view template_path, const toc_tree& toc, const toc_node* start,
                        vtstring& error) {
    atomic_file file;
    if (!file.open(path)) return write_failure(file, path, error);
    file.set_size_limit(page_size_limit);
    if (!renderer.is_open() && !renderer.open(template_path))
        return template_failure(template_path, error);
    bool rendered = true;
    const bool written = write_with_toc(
        document, placement,
        [&](const toc_sink& put) { return rendered = renderer.render(toc, start, put); }, file);
    // The page stays as it is when its TOC cannot be made.
    if (!rendered) return template_failure(template_path, error);
    if (!written || !file.commit()) return write_failure(file, path, error);
    return 0;
}
