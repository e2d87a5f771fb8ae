// html_token_stream: a page in memory cut into tokens on a thread of its
// own, as the HTML reader cuts it (vthtml::cut_like_html), and handed over
// in order, in batches, to the thread that builds the tree. The same thread
// notes the comments that stand in the page's text (text_comments.h), so
// that neither thread reads every byte twice.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "html/name_table.h"
#include "html/text_comments.h"
#include "html/xml_kind.h"

class html_token_stream {
  public:
    struct token {
        uint32_t length;
        // A start or end tag's name, numbered by the stream (name()): kind
        // is then as vthtml::tag_name gives it. 0: no name taken, and kind
        // is the tokenizer's (text for text).
        uint32_t name;
        xml_kind kind;
    };

    html_token_stream() = default;
    // Stops the thread at its next batch and waits for it.
    ~html_token_stream();
    html_token_stream(const html_token_stream&) = delete;
    html_token_stream& operator=(const html_token_stream&) = delete;

    // Starts cutting bytes, which lie still until the stream is gone and
    // are below the reader's size limit; false when no thread can start.
    bool start(std::string_view bytes);
    // The next tokens, once the thread has cut them; none at the end. Their
    // bytes follow one another from the first byte on.
    std::span<const token> next();
    // At the end: VTSGML_DONE, or VTSGML_NO_MEMORY when the thread ran out
    // of memory before the end.
    int result() const { return result_; }
    // A name of a token the stream has handed over, lower case.
    std::string_view name(uint32_t number) const { return names_.name(number); }
    // More names than this are left to the thread that builds the tree.
    static constexpr uint32_t max_names = 4096;

    // At the end: the comments that stand in the page's text.
    text_comments take_text_comments() { return {bytes_, std::move(comment_starts_)}; }

  private:
    class cutter;
    static constexpr size_t batch_tokens = 4096;
    static constexpr size_t batch_count = 8;

    void cut();
    // Hands the batch being filled over; false when the stream stops.
    bool publish();

    std::string_view bytes_;
    std::array<std::vector<token>, batch_count> batches_;
    std::vector<const char*> comment_starts_;
    // Never moves, so that the other thread may read the names handed
    // over; nor do the lower-cased copies of names the bytes do not hold as
    // they are read.
    name_table names_{max_names};
    std::deque<std::string> lowered_;
    std::mutex mutex_;
    std::condition_variable filled_;
    std::condition_variable freed_;
    size_t filling_ = 0;    // the batch the thread fills
    size_t reading_ = 0;    // the next batch to read
    size_t ready_ = 0;      // batches filled and not freed (the one read included)
    bool holding_ = false;  // the reader holds batch reading_ - 1
    bool ended_ = false;
    bool stopping_ = false;
    int result_ = 0;
    std::thread thread_;
};
