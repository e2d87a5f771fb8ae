// Writing a page back with its new TOC in place of the old one.
#pragma once

#include <functional>
#include <string_view>

#include "core/vtarr.h"
#include "core/vtstring.h"
#include "files/staged_file.h"
#include "html/xml_node.h"
#include "toc/toc_placement.h"

// Appends the page to out: the old TOC (both markers and everything between
// them) is left out, and the rendered TOC pieces, when given, follow the
// insertion point. Markers out of order count as absent. When the insertion
// point lies inside the old TOC or is one of its markers, the new TOC takes
// the old one's place.
void write_with_toc(const xml_tree& document, const toc_placement& placement, const vtarr* toc,
                    vtstring& out);
// Writes the TOC through put when the write-out reaches its place; false
// when it cannot be made.
using toc_maker = std::function<bool(const std::function<void(std::string_view)>& put)>;

// The same into a staged file, with the TOC made while the page is written
// rather than held: a page of many headings has a TOC many times its own
// size. False when a write or make_toc failed.
bool write_with_toc(const xml_tree& document, const toc_placement& placement,
                    const toc_maker& make_toc, staged_file& out);
