// html_chunks: a page handed to the HTML reader a chunk at a time, with the
// checks and messages every reading of a page shares.
#pragma once

#include <string_view>

#include "core/vtstring.h"
#include "html/vthtml.h"
#include "html/xml_node.h"

// Whether first (a page's first bytes) shows a UTF-16 or UTF-32 page, which
// is refused; error then holds "Can't read UTF-16 or UTF-32 file: " + path.
bool refuse_wide_page(std::string_view first, std::string_view path, vtstring& error);

class html_chunks {
  public:
    // Reads into tree; messages name path and go to error.
    html_chunks(xml_tree& tree, std::string_view path, vtstring& error)
        : reader_(tree), path_(path), error_(error) {}

    // The next chunk: 0, or the failure with error set (a refused first
    // chunk: 1; the reader's result: "Page is too large: " + path, else
    // "Memory error occurred").
    int add(std::string_view chunk);
    // The end of the page: 0, or the reader's result with error set.
    int finish();

  private:
    vthtml reader_;
    std::string_view path_;
    vtstring& error_;
    bool first_ = true;
};
