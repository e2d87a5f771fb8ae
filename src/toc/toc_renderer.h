// toc_renderer: the HTML text of a table of contents, from a template.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "files/vtfile_handle.h"
#include "toc/toc_node.h"

// Takes the TOC's text piece by piece, in order.
using toc_sink = std::function<void(std::string_view)>;

// A rendering whose template is opened first, so that a missing template is
// known before any output is begun, and whose text is handed on piece by
// piece rather than held: a TOC can be many times the size of its page.
class toc_renderer {
  public:
    // Opens the template; false when it cannot be opened. A small template
    // is read at once, so that one renderer renders the TOCs of a whole run
    // from one reading (and all of them from the same bytes).
    bool open(std::string_view template_path);
    bool is_open() const { return held_ || file_.is_open(); }
    // Hands to put, in order: the start marker, the explanatory comment, the
    // template's output over the events from start_item to the end of the
    // tree (or up to end_item, not included), and the end marker. Without a start_item the template
    // is not run (only markers and comment). With a line_end ("\n" or "\r\n") every line end of the
    // whole is written so; without one the comment has CR LF and the template's output its own.
    // False when the template cannot be read to its end; what was put must then be thrown away.
    bool render(const toc_tree& toc, const toc_node* start_item, const toc_sink& put,
                std::string_view line_end = {}, const toc_node* end_item = nullptr);

  private:
    std::string path_;
    vtfile_handle file_;
    std::string bytes_;  // the template, when held
    bool held_ = false;
};
