// pre_html_toc: finds where a page's TOC goes and the TOC of an earlier build.
//
// The TOC is written after a placeholder comment ("<!-- toc -->", any case,
// white space around the word), else after the body start tag, else before
// the first heading within range. An earlier TOC lies between the two marker
// comments and is replaced on every build.
//
// A build or a clearing run never removes bytes that a build did not write.
// So a comment counts as a marker (or a placeholder) only where a browser
// reads it as a comment of its own: not inside a script or style element, an
// attribute value or a longer comment. And two markers count only when they
// enclose a well-formed stretch of markup: no element that an end tag closes
// may start on one side of a marker and end on the other.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/vtstring.h"
#include "html/xml_node.h"
#include "toc/toc_placement.h"

inline constexpr std::string_view toc_start_text = "<!--VELT_HTML_TOC_START-->";
inline constexpr std::string_view toc_end_text = "<!--VELT_HTML_TOC_END-->";

// Whether element's class attribute holds word (classes are separated by
// blanks and compared exactly); false for an empty word.
bool has_class(const xml_node* element, std::string_view word);

class pre_html_toc {
  public:
    pre_html_toc() = default;
    virtual ~pre_html_toc() = default;

    // Fills the five node fields from document.
    void scan_placement();
    // Finds the markers of an earlier TOC alone (the clearing run's scan).
    void find_markers();
    // The heading level of a tag name ("h" or "H" and one character whose
    // value minus '0' lies in range), or 0.
    int32_t is_heading(std::string_view name) const;
    // Whether a heading's class attribute holds skip_class (classes are
    // separated by blanks and compared exactly): such a heading is left out
    // of placement, the scan and clearing, its bytes untouched.
    bool is_skipped(const xml_node* heading) const;
    // Whether a heading of this level gets a number of its own: its level
    // lies within numbering_from ... numbering_to and its class does not
    // hold unnumbered_class. (Sub-headings of an unnumbered heading get none
    // either; the heading scan knows them from its TOC.)
    bool is_numbered(const xml_node* heading, int32_t level) const;
    // Whether a comment's source is a placeholder.
    static bool is_placeholder(std::string_view source);
    // What scan_placement found: the old TOC and where the new one goes.
    toc_placement placement() const {
        return {toc_start_marker, toc_end_marker, insertion_point, after_subtree};
    }
    // The old TOC alone, for writing the page without any: both markers or
    // none (a lone marker is no TOC a build wrote, and stays).
    toc_placement old_toc() const {
        if (!toc_start_marker || !toc_end_marker) return {};
        return {toc_start_marker, toc_end_marker, nullptr};
    }

    int32_t range_from = 1;
    int32_t range_to = 6;
    bool process_numbering = false;
    vtstring skip_class;
    // The levels that get numbers (page titles are level 0), and the class
    // of headings that stay without one.
    int32_t numbering_from = 0;
    int32_t numbering_to = INT32_MAX;
    vtstring unnumbered_class;
    xml_tree* document = nullptr;
    xml_node* toc_start_marker = nullptr;
    xml_node* toc_end_marker = nullptr;
    xml_node* insertion_point = nullptr;
    xml_node* first_heading = nullptr;
    xml_node* body_element = nullptr;
    // The TOC follows the insertion point's whole subtree rather than its
    // start tag: set when the insertion point is the element before the first
    // heading, so the TOC lands right before the heading, not inside that
    // element.
    bool after_subtree = false;

  private:
    // Records n as a marker when it is the first of its kind; order counts
    // the nodes in document order.
    void note_marker(xml_node* n, size_t order);
    // Drops both markers unless they enclose a well-formed stretch of markup
    // in the right order.
    void settle_markers();

    size_t start_order_ = 0;
    size_t end_order_ = 0;
};
