// vtsgml: the incremental markup tokenizer shared by the HTML reader, the
// tagged-text reader and the template engine's directive scanner.
//
// Conventions
// - The caller adds chunks (add), runs after each one, marks the input
//   complete and runs a last time. A run stops when the buffered input is used
//   up; the next run resumes at the same byte, even inside a token.
// - Input splits into text (bytes outside constructs) and markup tokens (from
//   '<' through the construct's end string). Both are contiguous ranges of the
//   input. A token that lies inside one chunk is handed out as a view into the
//   chunk; one that spans chunks is joined into a buffer of the tokenizer that
//   is valid only during the handler call (token_in_chunk() tells which).
// - A construct whose kind is not enabled is abandoned at the byte that made
//   its kind final: its bytes stay part of the text. A '>' that arrives while
//   the kind is still being detected ends the token with the kind reached so
//   far, enabled or not: "<>" is delivered as unknown, "<!>" as declaration.
// - Text tokens are never empty. A construct still open at the end of the
//   input is delivered as text by finish().
// - Handlers return 0 to go on; any other value ends the run with that result
//   at once.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/vtstring.h"
#include "html/vtlexer.h"
#include "html/xml_kind.h"

// Results of run().
enum vtsgml_result : int {
    VTSGML_MORE = 0,               // input used up: add more and run again
    VTSGML_SIZE_EXCEEDED = 1,      // the input reached the size limit
    VTSGML_DONE = 2,               // end of input reached, everything delivered
    VTSGML_NO_MEMORY = 3,          // no memory for a node
    VTSGML_MISPLACED_END = 10000,  // tagged reader: end tag matches nothing open
    VTSGML_UNCLOSED = 10001,       // tagged reader: start tag still open at the end
};

// How a construct of one kind ends: its end string, whether quotes protect
// the end string, and whether a backslash inside quotes escapes the next byte.
struct vtsgml_construct {
    std::string_view end = ">";
    bool quotes = false;
    bool backslash = false;
};

class vtsgml : public vtlexer {
  public:
    vtsgml();
    ~vtsgml() override = default;

    // Tokenizes everything buffered. Returns a vtsgml_result or a handler's
    // non-zero result. Fails with 1 at once while size() >= size_limit().
    int run();

    // Bit k-1 enables kind k (xml_kind_bit).
    void set_enabled_kinds(uint32_t mask) { enabled_ = mask; }
    uint32_t enabled_kinds() const { return enabled_; }
    bool kind_enabled(xml_kind kind) const {
        const int k = static_cast<int>(kind);
        return k >= 1 && k <= xml_markup_kinds && (enabled_ >> (k - 1)) & 1u;
    }
    // Collect and deliver the bytes outside constructs as text tokens.
    void set_keep_text(bool keep) { keep_text_ = keep; }
    bool keep_text() const { return keep_text_; }
    // The descriptor of one markup kind; the end string must end in '>' and
    // outlive the tokenizer (a literal).
    void set_construct(xml_kind kind, vtsgml_construct construct);
    const vtsgml_construct& construct(xml_kind kind) const {
        return constructs_[static_cast<int>(kind)];
    }

  protected:
    // Called once at the end of input. The base delivers the pending text
    // (see take_pending_text) through on_text and returns 2 or the handler's
    // non-zero result.
    virtual int finish();
    // A text token (never empty).
    virtual int on_text(std::string_view bytes);
    // A markup token of the given kind, from '<' through its end string.
    virtual int on_markup(xml_kind kind, std::string_view bytes);

    // True when the token given to the current handler call is a view into
    // chunk memory (valid as long as the chunks), false when it was joined
    // into the tokenizer's buffer (valid during the call only).
    bool token_in_chunk() const { return token_in_chunk_; }
    // For finish(): the text not delivered yet, including a construct still
    // open; empty when there is none. Marks it delivered. Same lifetime rules
    // as a token (token_in_chunk()).
    std::string_view take_pending_text();

  private:
    enum class scan : uint8_t { text, detect, body, quoted_body, done };

    int scan_text(std::string_view chunk);
    int scan_detect(std::string_view chunk);
    int scan_body(std::string_view chunk);
    int scan_quoted_body(std::string_view chunk);
    bool markup_byte(char byte);
    void start_token();
    int end_token();
    void detect_byte(char byte);
    void make_final(xml_kind kind);
    bool token_ends_with_end_string() const;
    // The input bytes from..to: a view into the chunk being read when they
    // lie there (nearly every token), else range_across().
    std::string_view range(int64_t from, int64_t to) {
        if (from >= chunk_base_ && chunk_ < chunks_.size()) {
            token_in_chunk_ = true;
            return chunks_[chunk_].substr(static_cast<size_t>(from - chunk_base_),
                                          static_cast<size_t>(to - from));
        }
        return range_across(from, to);
    }
    std::string_view range_across(int64_t from, int64_t to);

    vtsgml_construct constructs_[xml_markup_kinds + 1];
    uint32_t enabled_ = 0;
    bool keep_text_ = false;

    scan state_ = scan::text;
    // Absolute offsets: start of the text not delivered yet, start of the
    // current token; token_length_ bytes of it read so far.
    int64_t text_start_ = 0;
    int64_t token_start_ = 0;
    int64_t token_length_ = 0;
    xml_kind kind_ = xml_kind::unknown;
    vtsgml_construct end_{};
    uint8_t candidates_ = 0;
    bool in_single_ = false;
    bool in_double_ = false;
    bool escape_next_ = false;
    bool token_in_chunk_ = true;
    vtstring joined_;
    int finish_result_ = 0;
};

// "Line: <line>, column: <column>\r\nError: " and the message of the result:
// 10000 "misplaced end tag.\r\n", 10001 "unclosed tag.\r\n", 1 "size
// exceeded.\r\n", 3 "unknown error.\r\n"; nothing after "Error: " for others.
vtstring error_text(const vtlexer& reader, int result);
