#include "toc/build_project.h"

#include <vector>

#include "core/vtfile.h"
#include "core/vttext.h"
#include "html/vthtml.h"
#include "project/toc_project.h"
#include "toc/html_toc.h"
#include "toc/memory_guard.h"
#include "toc/page_links.h"
#include "toc/process_file.h"
#include "toc/render_toc.h"
#include "toc/source_check.h"
#include "toc/toc_writer.h"

namespace {

// Checks a multi-file project; sizes receives the sources' sizes. Linux has
// no drives: every source is on the destination's "drive".
bool validate(toc_project& project, std::vector<double>& sizes) {
    if (project.destination.text().empty()) {
        project.error_message = "Destination file must be specified";
        return false;
    }
    return check_sources(project, &sizes);
}

// Reads the destination. A destination that does not exist yet is created;
// one that exists but cannot be read is not overwritten.
bool read_destination(toc_project& project, xml_tree& tree, build_progress& scale) {
    tree.add_leading_empty_node();
    bool exists = false;
    if (!check_destination(project, exists)) return false;
    vtstring error;
    int r =
        read_html_file(project.destination.text(), tree, error, build_progress::forward, &scale);
    if (r != 0 && exists) {
        project.error_message = error;
        return false;
    }
    if (r != 0) {
        tree = xml_tree();
        tree.add_leading_empty_node();
    }
    return true;
}

int build_multi(toc_project& project, progress_fn progress, void* context) {
    std::vector<double> sizes;
    if (!validate(project, sizes)) return 1;
    double total = 0;
    for (double size : sizes) total += size;
    toc_tree toc;
    toc_node* last = nullptr;
    // Links are taken between absolute, normal paths, whatever the spelling.
    const std::string destination_path = normal_page_path(project.destination.text());
    build_progress scale{total, 1.0,     project.insert_local_toc.to_boolean() ? 0.9 : 0.8,
                         0,     context, progress};
    for (int32_t i = 0; i < project.source.count(); ++i) {
        std::string_view s = project.source[i].text();
        scale.current = sizes[static_cast<size_t>(i)];
        toc_node* first_new = nullptr;
        if (process_file(s, s, project.insert_local_toc.to_boolean(), project, toc, last, first_new,
                         project.error_message, build_progress::forward, &scale) != 0)
            return 2;
        scale.phase_done();
        const vtstring link = page_link(destination_path, toc.pages.back());
        for (toc_node* n = first_new; n; n = toc_tree::next(n)) {
            vtstring full(link);
            full.append(n->link.view());
            n->link = full.view();
        }
    }

    scale.weight = 0.05;
    xml_tree destination;
    if (!read_destination(project, destination, scale)) return 1;
    scale.phase_done();
    pre_html_toc placement;
    placement.document = &destination;
    placement.scan_placement();

    toc_renderer renderer;
    if (!renderer.open(project.template_file.text())) {
        project.error_message = "Can't open template file: ";
        project.error_message.append(project.template_file.text());
        return 1;
    }
    if (write_page_with_toc(project.destination.text(), destination,
                            {placement.toc_start_marker, placement.toc_end_marker,
                             placement.insertion_point, placement.after_subtree},
                            renderer, project.template_file.text(), toc, toc.first(),
                            project.error_message) != 0)
        return 1;
    if (progress) progress(100, context);
    return 0;
}

int build_single(toc_project& project, progress_fn progress, void* context) {
    toc_tree toc;
    toc_node* last = nullptr;
    toc_node* first_new = nullptr;
    return process_file(project.single_source(), project.single_output(), true, project, toc, last,
                        first_new, project.error_message, progress, context);
}

}  // namespace

int build_project(toc_project& project, progress_fn progress, void* context) {
    return run_guarded(project, [&] {
        return project.single() ? build_single(project, progress, context)
                                : build_multi(project, progress, context);
    });
}
