// page_line_end: a TOC block is written with the line end of its page.
#pragma once

#include <string_view>

#include "html/xml_node.h"
#include "toc/toc_placement.h"
#include "toc/toc_renderer.h"

// "\r\n" when the page's first line end is CR LF, else "\n" (also for a page
// without any). The old TOC of placement does not count: an earlier build
// may have written it with other line ends than the page's.
std::string_view page_line_end(const xml_tree& document, const toc_placement& placement);

// Passes text on to put with every line end, CR LF or LF, written as
// line_end ("\n" or "\r\n"); a CR LF split between two pieces is one line
// end. A lone CR is no line end and is passed on as it is.
class line_end_sink {
  public:
    line_end_sink(const toc_sink& put, std::string_view line_end)
        : put_(put), crlf_(line_end == "\r\n") {}
    void operator()(std::string_view piece);
    // Passes on a CR held back at the end of the last piece.
    void finish();

  private:
    void pass(std::string_view bytes) {
        if (!bytes.empty()) put_(bytes);
    }

    const toc_sink& put_;
    bool crlf_;
    bool held_cr_ = false;   // LF pages: a CR that may begin a CR LF
    bool after_cr_ = false;  // CR LF pages: the last byte passed on was a CR
};
