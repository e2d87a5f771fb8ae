// heading_id: the ids a build writes into the start tags of headings.
//
// A written id is marked by an attribute beside it, ` id="intro"
// data-velt-id`, so that clearing takes out exactly the ids that builds
// added and never one the author wrote. The marker needs no TOC block in the
// page (a page of a site may have none) and survives edits elsewhere in the
// page; "velt" names the maker as the anchor names "velt_link_..." do, so no
// other tool's attribute is taken for ours.
#pragma once

#include <string_view>

#include "core/vtstring.h"

// The start tag's own bytes (up to and including its first '>') with
// ` id="<id>" data-velt-id` before its closing '>', or before "/>" when the
// '/' is not the end of an unquoted value. Every other byte stays.
vtstring tag_with_own_id(std::string_view tag, std::string_view id);

// The tag without the id a build wrote into it, when it ends with one as
// tag_with_own_id writes it: true and out set; else false.
bool tag_without_own_id(std::string_view tag, vtstring& out);

// The id a build wrote into the tag, when it ends with one as
// tag_with_own_id writes it: true and id set; else false.
bool written_id_of(std::string_view tag, vtstring& id);

// Whether a browser ends the start tag at the same '>' as the reader does,
// the tag's own bytes up to and including its first '>': false when that
// '>' stands inside a quoted attribute value for the browser (a stray
// quote), where written attributes would change how the rest of the page
// is read.
bool tag_reads_as_written(std::string_view tag);
