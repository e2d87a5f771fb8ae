// html_chunks: a page handed to the HTML reader a chunk at a time, with the
// checks and messages every reading of a page shares.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/vtstring.h"
#include "html/vthtml.h"
#include "html/xml_node.h"

// Whether first (a page's first bytes) shows a UTF-16 or UTF-32 page, which
// is refused; error then holds "Can't read UTF-16 or UTF-32 file: " + path.
bool refuse_wide_page(std::string_view first, std::string_view path, vtstring& error);

class html_chunks {
  public:
    // How chunks are taken: copied into the tree, or read where they lie in
    // memory the tree owns, one right after the other (vthtml::add_in_place).
    enum chunk_memory : bool { copied, in_place };

    // Reads into tree; messages name path and go to error.
    html_chunks(xml_tree& tree, std::string_view path, vtstring& error,
                chunk_memory memory = copied)
        : reader_(tree), tree_(tree), path_(path), error_(error), memory_(memory) {}

    // Folds what rules allow (html_fold.h); only for chunks in place.
    void fold_by(fold_rules rules) { reader_.fold_by(rules); }

    // The next chunk: 0, or the failure with error set (a refused first
    // chunk: 1; the reader's result: "Page is too large: " + path, else
    // "Memory error occurred").
    int add(std::string_view chunk);
    // The next chunk, copied whatever the memory of the chunks before it.
    int add_copy(std::string_view chunk) {
        memory_ = copied;
        return add(chunk);
    }
    // The end of the page: 0, or the reader's result with error set.
    int finish();

    // A whole page in memory the tree owns (below the reader's size limit),
    // in place of add and finish: the same tree, the same result, and
    // progress(percent of size) once each chunk's bytes (chunks: their
    // sizes) are read, when size is above 0. It is cut into tokens on a
    // thread of its own (html_token_stream) while this one builds the tree.
    // -1 when no thread can start: nothing was read then.
    int read_split(std::string_view bytes, std::span<const uint32_t> chunks, double size,
                   void (*progress)(int percent, void* context), void* context);

  private:
    vthtml reader_;
    xml_tree& tree_;
    std::string_view path_;
    vtstring& error_;
    chunk_memory memory_;
    bool first_ = true;
};
