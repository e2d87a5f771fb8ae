#include "toc/build_project.h"

#include "core/atomic_file.h"
#include "core/vtfile.h"
#include "core/vttext.h"
#include "html/vthtml.h"
#include "project/toc_project.h"
#include "toc/html_toc.h"
#include "toc/process_file.h"
#include "toc/render_toc.h"
#include "toc/toc_writer.h"

namespace {

// Checks a multi-file project; sums the sources' sizes into total.
bool validate(toc_project& project, double& total) {
    std::string_view destination = project.destination.text();
    if (destination.empty()) {
        project.error_message = "Destination file must be specified";
        return false;
    }
    if (project.source.empty()) {
        project.error_message = "At least one source file must be specified";
        return false;
    }
    // Linux has no drives: every source is on the destination's "drive".
    total = 0;
    for (const vtval& s : project.source) {
        vtfile_node info;
        if (!vtfile_info(s.text(), info) || info.is_directory) {
            project.error_message = "File doesn't exist: ";
            project.error_message.append(s.text());
            return false;
        }
        total += info.size.to_real();
    }
    return true;
}

// The link from the destination's folder to a source, URL-encoded.
vtstring link_path(std::string_view destination, std::string_view source) {
    // Compared with letter case: on Linux "Docs" and "docs" are two folders.
    vtstring relative = vtfile_relative_path(destination, source, false);
    return vt_url_encode_path(relative.view());
}

// Reads the destination. A destination that does not exist yet is created;
// one that exists but cannot be read is not overwritten.
bool read_destination(toc_project& project, xml_tree& tree, build_progress& scale) {
    tree.add_leading_empty_node();
    vtfile_node info;
    bool exists = vtfile_info(project.destination.text(), info);
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
    double total = 0;
    if (!validate(project, total)) return 1;
    toc_tree toc;
    toc_node* last = nullptr;
    build_progress scale{total, 1.0,     project.insert_local_toc.to_boolean() ? 0.9 : 0.8,
                         0,     context, progress};
    for (const vtval& s : project.source) {
        vtfile_node info;
        vtfile_info(s.text(), info);
        scale.current = info.size.to_real();
        toc_node* first_new = nullptr;
        if (process_file(s.text(), s.text(), project.insert_local_toc.to_boolean(), project, toc,
                         last, first_new, project.error_message, build_progress::forward,
                         &scale) != 0)
            return 2;
        scale.phase_done();
        vtstring link = link_path(project.destination.text(), s.text());
        for (toc_node* n = first_new; n; n = toc_tree::next(n)) {
            vtstring full(link);
            full.append(n->link);
            n->link = std::move(full);
        }
    }

    scale.weight = 0.05;
    xml_tree destination;
    if (!read_destination(project, destination, scale)) return 1;
    scale.phase_done();
    pre_html_toc placement;
    placement.document = &destination;
    placement.scan_placement();

    vtarr pieces;
    if (render_toc(toc, pieces, toc.first(), project.template_file.text()) != 0) {
        project.error_message = "Can't open template file: ";
        project.error_message.append(project.template_file.text());
        return 1;
    }
    if (!write_page_file(project.destination.text(), destination,
                         {placement.toc_start_marker, placement.toc_end_marker,
                          placement.insertion_point, placement.after_subtree},
                         &pieces)) {
        project.error_message = "Can't open file for writing: ";
        project.error_message.append(project.destination.text());
        return 1;
    }
    if (progress) progress(100, context);
    return 0;
}

}  // namespace

int build_project(toc_project& project, progress_fn progress, void* context) {
    if (project.single()) {
        std::string_view source =
            project.source.empty() ? std::string_view() : project.source[0].text();
        std::string_view output =
            project.is_dest_as_source.to_boolean() ? source : project.destination.text();
        toc_tree toc;
        toc_node* last = nullptr;
        toc_node* first_new = nullptr;
        return process_file(source, output, true, project, toc, last, first_new,
                            project.error_message, progress, context);
    }
    return build_multi(project, progress, context);
}
