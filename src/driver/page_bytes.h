// page_bytes: a page read whole before it is parsed, so that its bytes can
// be looked up in the page cache first (page_cache.h).
//
// Reading and parsing together give exactly what read_html gives: the same
// chunks, the same messages and the same progress, whether the page is
// parsed or its parse is skipped.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/byte_block.h"
#include "core/hash128.h"
#include "core/vtstring.h"
#include "files/file_state.h"
#include "files/vtfile_handle.h"
#include "html/html_fold.h"
#include "html/xml_node.h"

// Pages from this size up are parsed as they are read, never cached: a
// second copy of a big page would cost more memory than parsing saves time.
inline constexpr double cached_page_limit = 8.0 * 1024 * 1024;

struct page_bytes {
    // The bytes read, until a parse takes them into its document.
    byte_block block;
    size_t capacity = 0;           // the block's bytes
    size_t length = 0;             // of them read
    std::vector<uint32_t> chunks;  // the sizes of the reads
    double size = 0;               // the file's size when reading began
    hash128 digest;                // of the bytes, once read whole

    std::string_view bytes() const { return {block.get(), block ? length : 0}; }
};

// Reads file into out, every byte to hash as well when given: known_size
// bytes when that is the file's size as opened (not negative), else to its
// end. A known_size that is not sure (an earlier look's) only sizes the
// reads: the bytes go to the file's end. 0, or 1 with error set as
// read_html would set it (a failed read, a UTF-16 or UTF-32 page).
int read_page_bytes(const vtfile_handle& file, std::string_view path, page_bytes& out,
                    content_hash* hash, vtstring& error, int64_t known_size = -1,
                    bool size_sure = true);

// Parses what read_page_bytes read into tree as read_html would, with its
// progress, folding what rules allow (html_fold.h) when given. The tree
// takes the bytes over: in.bytes() is empty then. 0, or the reader's result
// with error set. With split, a page of split_parse_bytes or more is cut
// into tokens on a second thread (html_chunks::read_split): for a core
// that would stand idle.
int parse_page_bytes(page_bytes& in, std::string_view path, xml_tree& tree, vtstring& error,
                     void (*progress)(int percent, void* context), void* context,
                     fold_rules rules = nullptr, bool split = false);

// Below this size a second thread costs more than it saves.
inline constexpr size_t split_parse_bytes = 256 * 1024;

// The folding every reading of a page for a build or a clearing run uses:
// toc_fold_rule (toc_fold_rule.h), or none once set so (a comparison of
// builds with and without folding).
fold_rules page_fold_rules();
void set_page_fold_rules(fold_rules rules);

// The progress parse_page_bytes would report for a page it parses whole.
void replay_page_progress(const page_bytes& in, void (*progress)(int percent, void* context),
                          void* context);
