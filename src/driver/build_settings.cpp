#include "driver/build_settings.h"

#include "driver/source_list.h"
#include "project/toc_project.h"
#include "toc/html_toc.h"

build_settings build_settings::of(const toc_project& project) {
    build_settings s;
    s.single = project.single();
    s.overwrite_source = project.is_dest_as_source.to_boolean();
    vtstring source_error;
    s.sources = expanded_sources(project, source_error);
    s.source_error = source_error.view();
    s.destination = project.destination.text();
    s.template_file = project.template_file.text();
    s.range_from = project.range_from.to_integer();
    s.range_to = project.range_to.to_integer();
    s.process_numbering = project.process_numbering.to_boolean();
    s.process_title = project.process_title.to_boolean();
    s.named_anchor_attributes = project.named_anchor_attributes.text();
    s.anchor_ids = project.heading_ids();
    s.skip_class = project.skip_class.text();
    s.heading_links = project.heading_links.text();
    s.insert_local_toc = project.insert_local_toc.to_boolean();
    s.indent = project.indent.text();
    return s;
}

std::vector<std::string_view> build_settings::outputs() const {
    if (single) return {single_output()};
    std::vector<std::string_view> all{destination};
    all.insert(all.end(), sources.begin(), sources.end());
    return all;
}

std::vector<std::string_view> build_settings::listed() const {
    std::vector<std::string_view> all = outputs();
    if (single) all.push_back(single_source());
    return all;
}

void build_settings::configure(pre_html_toc& scan) const {
    scan.range_from = range_from;
    scan.range_to = range_to;
    scan.process_numbering = process_numbering;
    scan.skip_class = skip_class;
}

void build_settings::configure(html_toc& scan) const {
    configure(static_cast<pre_html_toc&>(scan));
    scan.process_title = process_title;
    scan.named_anchor_attributes = named_anchor_attributes;
    scan.anchor_ids = anchor_ids;
    scan.heading_links = heading_links;
}
