// heading_marks: what builds write into a heading, found again and taken out.
//
// A build may give a heading its number ("1.4.2. " right after the start
// tag), a named anchor around its content (`<a name="velt_link_...">`), an
// id in its start tag (marked `data-velt-id`, heading_id.h) and a link to
// itself at its end (`<a href="#..." class="velt-heading-link" ...>`). The
// number may stand in a span of the project's class
// (`<span class="...">1.4.2.</span> `).
#pragma once

#include <string_view>

#include "html/xml_node.h"

inline constexpr std::string_view heading_link_class = "velt-heading-link";

// A start tag "a" whose name begins with "velt_link_" (letter case counts).
bool is_generated_anchor(const xml_node* n);
// A start tag "a" whose class is exactly heading_link_class.
bool is_heading_link(const xml_node* n);
// Empties n and every node below it: none of their bytes is written.
void take_out_subtree(xml_node* n);
// Empties the start tag of an "a" element and the end tag that closes it
// (its last child); its content stays.
void take_out_anchor(xml_node* anchor);
// The next node after n's subtree that lies within root's, or none.
xml_node* next_after_within(const xml_node* n, const xml_node* root);

// How clear_heading takes out a heading's number.
enum class number_rule {
    keep,         // numbers stay
    build_form,   // the number at the front as a build writes it goes
    when_marked,  // the same, only in a heading that shows another mark of a build
    // Only a number that stands apart from the heading's text (a text node of
    // its own, or a span) in a heading that shows another mark of a build:
    // a heading the build gives no number.
    apart_when_marked,
};

// Takes what builds wrote out of heading: the id in its start tag, its
// first generated anchor (and the "</a>" that is the anchor's last child),
// an empty generated anchor right before it, its links to itself, and the
// number as numbers says. True when the heading showed any of them.
bool clear_heading(xml_tree& document, xml_node* heading, number_rule numbers);

// Whether heading shows a mark of a build: an id a build wrote, a generated
// anchor in it or right before it, or a link to itself.
bool shows_build_marks(const xml_node* heading);

// Whether the page shows a mark of a build other than its TOC markers: a
// generated anchor, an id a build wrote, a heading link, a number span at
// the front of a heading or the end comment of navigation text.
bool has_build_marks(const xml_tree& document);
