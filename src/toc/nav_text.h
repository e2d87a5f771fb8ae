// nav_text: what a build writes after a navigation comment.
//
// The comment stays in the page as its author wrote it. The build writes its
// text (a breadcrumb, or a link to another page) right after it and closes
// that text with nav_end_text:
//
//     <!--#velt_toc_nav_this--><a href="#a">1. A</a> &gt; 1.1. B<!--/velt_toc_nav-->
//
// so every build replaces what stands between the two, and clearing takes
// it out and leaves the comment. Only text and links count as a build's
// text: anything else between a comment and an end comment is the author's
// and stays.
#pragma once

#include <cstdint>
#include <string_view>

#include "html/xml_node.h"

inline constexpr std::string_view nav_end_text = "<!--/velt_toc_nav-->";

enum class nav_kind : uint8_t {
    none,         // not a navigation comment
    this_item,    // the item of the section the comment stands in
    next_item,    // the next heading of the page
    parent_item,  // the parent of the current item
    prev_page,    // the previous page of the project's order
    next_page,    // the next page
    contents,     // the destination page
};

struct nav_comment {
    nav_kind kind = nav_kind::none;
    bool link_last = false;  // the last part of a breadcrumb is a link too
};

// What the directive comment n asks for; kind none for any other node.
nav_comment read_nav_comment(const xml_node* n);

// The end comment of the text a build wrote after the navigation comment n:
// a following sibling, with only text and links between; null when there is
// none.
xml_node* nav_text_end(const xml_node* n);

// Empties what builds wrote after the navigation comments of document (their
// text and end comment). True when there was any.
bool take_out_nav_text(xml_tree& document);

// Writes text and the end comment after the navigation comment n, as a new
// node; the node is returned so that its text can be set again later.
xml_node* put_nav_text(xml_tree& document, xml_node* n, std::string_view text);
// Sets the text of a node put_nav_text made.
void set_nav_text(xml_tree& document, xml_node* slot, std::string_view text);
