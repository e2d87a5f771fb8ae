// build_settings: what a build or a clearing run takes from its project, read
// once: numbers as numbers, flags as flags, paths and texts as text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class toc_project;
class pre_html_toc;
class html_toc;

struct build_settings {
    // One page (the first source), or a site of sources and a destination.
    bool single = true;
    // A single page is rewritten in place rather than into the destination.
    bool overwrite_source = true;
    // The pages of the source list, its patterns expanded.
    std::vector<std::string> sources;
    // Why the source list falls short: the first pattern that lists no page.
    // A run that has it fails before it reads or writes a page.
    std::string source_error;
    std::string destination;
    std::string template_file;
    // Heading levels taken, and what is done to them.
    int32_t range_from = 1;
    int32_t range_to = 6;
    bool process_numbering = true;
    bool process_title = false;
    std::string named_anchor_attributes;
    // Anchors are the headings' own ids (new ones written into the heading's
    // start tag) rather than inserted named anchors.
    bool anchor_ids = false;
    // Headings of this class are left alone; empty leaves none out.
    std::string skip_class;
    // The text of a link to itself at the end of every heading; empty: none.
    std::string heading_links;
    // The levels that get numbers (page titles are level 0; empty keys:
    // every level), the first top-level number (empty: 1; below 0 counts
    // as 0), the class of headings without a number, and the class of the
    // span around a number (empty: none).
    int32_t numbering_from = 0;
    int32_t numbering_to = INT32_MAX;
    int32_t numbering_start = 1;
    std::string unnumbered_class;
    std::string number_class;
    // Each page of a site gets a TOC of its own headings as well.
    bool insert_local_toc = false;
    // The indentation unit of templates.
    std::string indent;

    // The settings of project, converted as the project record says: a text
    // counts as the decimal number at its start, a flag is set when that is
    // not 0.
    static build_settings of(const toc_project& project);

    // A single page's path (empty when there is none) and the file its
    // result goes to: the page itself, or the destination.
    std::string_view single_source() const {
        return sources.empty() ? std::string_view() : std::string_view(sources.front());
    }
    std::string_view single_output() const {
        return overwrite_source ? single_source() : std::string_view(destination);
    }

    // Every file a run writes: the single output, or the destination and
    // the sources.
    std::vector<std::string_view> outputs() const;

    // Copies the heading range, the skipped class and the numbering flag into
    // a scan, and for a heading scan the page-title flag and how anchors are
    // made too.
    void configure(pre_html_toc& scan) const;
    void configure(html_toc& scan) const;
};
