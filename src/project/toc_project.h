// toc_project: the settings of one TOC job, as kept in a project file.
//
// Every setting is a value: the window stores booleans and integers, a loaded
// project holds the text the file held; users convert on use (a text counts
// as the decimal number at its start, a flag is set when that is not 0).
#pragma once

#include <string_view>
#include <vector>

#include "core/vtarr.h"
#include "core/vtstring.h"
#include "core/vtval.h"
#include "project/vthash_array.h"

// A line of the source list that names pages by a pattern (key
// source_glob), and its place in the list: the number of source entries
// before it.
struct source_pattern {
    vtval pattern;
    int32_t place = 0;
};

// One line of the source list, a page or a pattern, as the project file
// holds it.
struct source_line {
    std::string_view text;
    bool is_pattern = false;
};

class toc_project {
  public:
    toc_project();

    // Back to the defaults of a new project (normalised, error kept).
    void reset();
    // Single-file: page titles off and at least one (possibly empty) source;
    // multi-file: a lone empty first source empties the list. After a load or
    // a copy from the window also a blank before non-empty anchor attributes.
    void normalize(bool after_load_or_copy);
    // 0 on success; 1 with error_message set and nothing else changed. check,
    // when given, may refuse the file once it is open (its text becomes the
    // error message).
    int load(std::string_view file_name, const vthash_array::file_check& check = {});
    // 0 on success; 1 with "Can't write to file: " + name.
    int save(std::string_view file_name);

    bool single() const { return is_single.to_boolean(); }
    // A single-file project's page (the first source entry, possibly empty)
    // and the file its result goes to: the page itself, or the destination.
    std::string_view single_source() const {
        return source.empty() ? std::string_view() : source[0].text();
    }
    std::string_view single_output() const {
        return is_dest_as_source.to_boolean() ? single_source() : destination.text();
    }
    // Headings carry their anchors as ids: only the value 1 turns it on (a
    // checked box in the window stores 1 too).
    bool heading_ids() const { return anchor_ids.text() == "1"; }
    // Relative paths are taken from the project file's folder (the value
    // "project"), not from the current folder.
    bool relative_to_project() const { return relative_to.text() == "project"; }
    // True when every setting (sources in order) has the same text in both;
    // the error message does not count.
    bool same_settings(const toc_project& other) const;

    // The source list in its order: the source entries with the patterns
    // among them, each pattern in front of the entry at its place (after all
    // of them when its place is past the end).
    std::vector<source_line> source_lines() const;
    // Appends a pattern after the source entries there are now.
    void add_source_pattern(std::string_view pattern);

    vtval is_single;
    vtval is_dest_as_source;
    vtarr source;
    // The patterns among the source entries, in order of their places.
    std::vector<source_pattern> source_glob;
    vtval destination;
    vtval range_from;
    vtval range_to;
    vtval named_anchor_attributes;
    vtval process_title;
    vtval process_numbering;
    vtval template_file;
    vtval indent;
    vtval insert_local_toc;
    vtval anchor_ids;
    vtval skip_class;
    // The text of a link to itself at the end of every heading; empty: none.
    vtval heading_links;
    // Numbering: the levels that get numbers and the first top-level number
    // (empty: every level the TOC takes, and 1), the class of headings that
    // get none, and the class of the span a number is written in (empty:
    // plain text).
    vtval numbering_from;
    vtval numbering_to;
    vtval numbering_start;
    vtval unnumbered_class;
    vtval number_class;
    // "project": relative paths count from the project file's folder;
    // anything else: from the current folder (batch mode).
    vtval relative_to;
    vtstring error_message;
};
