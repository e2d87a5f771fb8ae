#include "driver/build_settings.h"

#include <algorithm>

#include "driver/source_list.h"
#include "project/toc_project.h"
#include "toc/html_toc.h"

namespace {

// A number key: the decimal number at the start of its text, or fallback
// when it is empty.
int32_t number_or(const vtval& value, int32_t fallback) {
    return value.text().empty() ? fallback : value.to_integer();
}

// A class name for a double-quoted attribute value.
std::string attribute_text(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

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
    s.numbering_from = number_or(project.numbering_from, 0);
    s.numbering_to = number_or(project.numbering_to, INT32_MAX);
    s.numbering_start = std::max(number_or(project.numbering_start, 1), 0);
    s.unnumbered_class = project.unnumbered_class.text();
    s.number_class = attribute_text(project.number_class.text());
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

void build_settings::configure(pre_html_toc& scan) const {
    scan.range_from = range_from;
    scan.range_to = range_to;
    scan.process_numbering = process_numbering;
    scan.skip_class = skip_class;
    scan.numbering_from = numbering_from;
    scan.numbering_to = numbering_to;
    scan.unnumbered_class = unnumbered_class;
}

void build_settings::configure(html_toc& scan) const {
    configure(static_cast<pre_html_toc&>(scan));
    scan.process_title = process_title;
    scan.named_anchor_attributes = named_anchor_attributes;
    scan.anchor_ids = anchor_ids;
    scan.heading_links = heading_links;
    scan.numbering_start = numbering_start;
    scan.number_class = number_class;
}
