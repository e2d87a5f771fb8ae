// Tokenizer state machine. All state lives in the object so that a run can
// stop after any byte and the next run resumes there.
//
// Order of work per chunk: outside markup, memchr to the next '<' (everything
// before it is text); while the kind is being detected, one byte at a time
// (at most nine bytes); once the kind is final, memchr to the next '>' and
// test the end string, or, when quotes or backslashes matter, a byte loop
// that tracks them.
#include "html/vtsgml.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "html/byte_class.h"

namespace {

enum candidate : uint8_t {
    CAND_COMMENT = 1,
    CAND_CDATA = 2,
    CAND_DOCTYPE = 4,
    CAND_ELEMENT = 8,
    CAND_ENTITY = 16,
    CAND_ATTLIST = 32,
};

struct keyword {
    uint8_t bit;
    std::string_view text;
    xml_kind kind;
};

constexpr keyword keywords[] = {
    {CAND_CDATA, "<![CDATA[", xml_kind::cdata},
    {CAND_DOCTYPE, "<!DOCTYPE", xml_kind::doctype},
    {CAND_ELEMENT, "<!ELEMENT", xml_kind::element_declaration},
    {CAND_ATTLIST, "<!ATTLIST", xml_kind::attlist_declaration},
    {CAND_ENTITY, "<!ENTITY", xml_kind::entity_declaration},
};

}  // namespace

vtsgml::vtsgml() {
    for (int k = 1; k <= xml_markup_kinds; ++k) constructs_[k] = {">", false, false};
    set_construct(xml_kind::comment, {"-->", false, false});
    set_construct(xml_kind::cdata, {"]]>", false, false});
    set_construct(xml_kind::processing_instruction, {"?>", true, true});
    set_construct(xml_kind::server_script, {"%>", false, false});
    set_construct(xml_kind::directive, {"-->", true, true});
}

void vtsgml::set_construct(xml_kind kind, vtsgml_construct construct) {
    const int k = static_cast<int>(kind);
    if (k >= 1 && k <= xml_markup_kinds && !construct.end.empty()) constructs_[k] = construct;
}

int vtsgml::run() {
    if (size_exceeded()) return VTSGML_SIZE_EXCEEDED;
    if (state_ == scan::done) return finish_result_;
    for (;;) {
        if (chunk_ >= chunks_.size()) {
            if (!input_complete()) return VTSGML_MORE;
            finish_result_ = finish();
            state_ = scan::done;
            return finish_result_;
        }
        std::string_view c = chunks_[chunk_];
        if (offset_ >= c.size()) {
            chunk_base_ += static_cast<int64_t>(c.size());
            ++chunk_;
            offset_ = 0;
            continue;
        }
        int r = 0;
        switch (state_) {
            case scan::text:
                r = scan_text(c);
                break;
            case scan::detect:
                r = scan_detect(c);
                break;
            case scan::body:
                r = scan_body(c);
                break;
            case scan::quoted_body:
                r = scan_quoted_body(c);
                break;
            case scan::done:
                break;
        }
        if (r) return r;
    }
}

int vtsgml::scan_text(std::string_view c) {
    const char* p = c.data() + offset_;
    const void* lt = std::memchr(p, '<', c.size() - offset_);
    if (!lt) {
        offset_ = c.size();
        return 0;
    }
    offset_ = static_cast<size_t>(static_cast<const char*>(lt) - c.data()) + 1;
    const int64_t at = position() - 1;
    if (keep_text_ && at > text_start_) {
        int r = on_text(range(text_start_, at));
        text_start_ = at;
        if (r) return r;
    }
    text_start_ = at;
    token_start_ = at;
    start_token();
    // Most tokens are tags: a '/' or a name byte right after '<' makes the
    // kind final at once, exactly as the detection below would.
    if (offset_ < c.size()) {
        const char b = c[offset_];
        if (b == '/' || tag_name_start(b)) {
            ++offset_;
            ++token_length_;
            make_final(b == '/' ? xml_kind::end_tag : xml_kind::start_tag);
        }
    }
    return 0;
}

void vtsgml::start_token() {
    token_length_ = 1;
    kind_ = xml_kind::unknown;
    end_ = vtsgml_construct{};
    candidates_ = 0;
    in_single_ = in_double_ = escape_next_ = false;
    state_ = scan::detect;
}

// Quote and escape bookkeeping of one byte inside a construct; true when the
// byte is a '>' that ends the token.
inline bool vtsgml::markup_byte(char b) {
    switch (b) {
        case '"':
            if (!in_single_) in_double_ = !in_double_;
            return false;
        case '\'':
            if (!in_double_) in_single_ = !in_single_;
            return false;
        case '\\':
            if (end_.backslash && (in_single_ || in_double_)) escape_next_ = true;
            return false;
        case '>':
            return !(end_.quotes && (in_single_ || in_double_)) && token_ends_with_end_string();
        default:
            return false;
    }
}

// One byte while the kind is not final: quotes, the end test, then the
// opening rules.
int vtsgml::scan_detect(std::string_view c) {
    while (state_ == scan::detect && offset_ < c.size()) {
        const char b = c[offset_++];
        ++token_length_;
        if (escape_next_) {
            escape_next_ = false;
            continue;
        }
        if (markup_byte(b)) return end_token();
        detect_byte(b);
    }
    return 0;
}

void vtsgml::detect_byte(char b) {
    const int64_t len = token_length_;
    if (len == 2) {
        switch (b) {
            case '!':
                kind_ = xml_kind::declaration;
                return;
            case '/':
                make_final(xml_kind::end_tag);
                return;
            case '?':
                make_final(xml_kind::processing_instruction);
                return;
            case '%':
                make_final(xml_kind::server_script);
                return;
            case '#':
                make_final(xml_kind::hash_construct);
                return;
            default:
                make_final(tag_name_start(b) ? xml_kind::start_tag : xml_kind::unknown);
                return;
        }
    }
    if (len == 3) {
        switch (b) {
            case '-':
                candidates_ = CAND_COMMENT;
                return;
            case '[':
                candidates_ = CAND_CDATA;
                return;
            case 'D':
                candidates_ = CAND_DOCTYPE;
                return;
            case 'E':
                candidates_ = CAND_ELEMENT | CAND_ENTITY;
                return;
            case 'A':
                candidates_ = CAND_ATTLIST;
                return;
            default:
                make_final(xml_kind::declaration);
                return;
        }
    }
    if (candidates_ == CAND_COMMENT) {
        // "<!--" gives a comment; a '#' right after it a directive comment.
        if (len == 4) {
            if (b == '-')
                kind_ = xml_kind::comment;
            else
                make_final(kind_);
        } else {
            make_final(b == '#' ? xml_kind::directive : kind_);
        }
        return;
    }
    bool matched = false;
    for (const keyword& k : keywords) {
        if (!(candidates_ & k.bit) || len > static_cast<int64_t>(k.text.size())) continue;
        if (k.text[static_cast<size_t>(len - 1)] != b) continue;
        if (len == static_cast<int64_t>(k.text.size())) {
            make_final(k.kind);
            return;
        }
        matched = true;
    }
    if (!matched) make_final(kind_);
}

// Enabled kinds take their descriptor; others are abandoned and their bytes
// stay in the text.
void vtsgml::make_final(xml_kind kind) {
    kind_ = kind;
    if (kind_enabled(kind)) {
        end_ = construct(kind);
        state_ = (end_.quotes || end_.backslash) ? scan::quoted_body : scan::body;
        return;
    }
    escape_next_ = false;
    state_ = scan::text;
}

// Neither quotes nor backslashes matter: jump from '>' to '>'.
int vtsgml::scan_body(std::string_view c) {
    while (offset_ < c.size()) {
        const char* p = c.data() + offset_;
        const void* gt = std::memchr(p, '>', c.size() - offset_);
        if (!gt) {
            token_length_ += static_cast<int64_t>(c.size() - offset_);
            offset_ = c.size();
            return 0;
        }
        const size_t n = static_cast<size_t>(static_cast<const char*>(gt) - p) + 1;
        token_length_ += static_cast<int64_t>(n);
        offset_ += n;
        if (token_ends_with_end_string()) return end_token();
    }
    return 0;
}

int vtsgml::scan_quoted_body(std::string_view c) {
    while (offset_ < c.size()) {
        const char b = c[offset_++];
        ++token_length_;
        if (escape_next_) {
            escape_next_ = false;
            continue;
        }
        if (markup_byte(b)) return end_token();
    }
    return 0;
}

// The token, whose last byte read is '>', is longer than the end string and
// ends with it.
bool vtsgml::token_ends_with_end_string() const {
    const std::string_view end = end_.end;
    if (token_length_ <= static_cast<int64_t>(end.size())) return false;
    if (end.size() == 1) return true;
    // Walk back through the chunks: a token may end across chunk boundaries.
    size_t ci = chunk_;
    size_t off = offset_;
    for (size_t i = end.size(); i-- > 0;) {
        while (off == 0) {
            --ci;
            off = chunks_[ci].size();
        }
        --off;
        if (chunks_[ci][off] != end[i]) return false;
    }
    return true;
}

int vtsgml::end_token() {
    const int64_t to = position();
    int r = on_markup(kind_, range(token_start_, to));
    state_ = scan::text;
    escape_next_ = false;
    text_start_ = to;
    return r;
}

// The input bytes from..to (absolute offsets, to at or before the read
// position): a view when they lie in one chunk, else joined.
std::string_view vtsgml::range_across(int64_t from, int64_t to) {
    size_t ci = chunk_ < chunks_.size() ? chunk_ : chunks_.size() - 1;
    int64_t base = chunk_ < chunks_.size() ? chunk_base_
                                           : chunk_base_ - static_cast<int64_t>(chunks_[ci].size());
    while (base > from) {
        --ci;
        base -= static_cast<int64_t>(chunks_[ci].size());
    }
    const std::string_view first = chunks_[ci];
    const size_t start = static_cast<size_t>(from - base);
    const size_t n = static_cast<size_t>(to - from);
    if (start + n <= first.size()) {
        token_in_chunk_ = true;
        return first.substr(start, n);
    }
    token_in_chunk_ = false;
    joined_.clear();
    joined_.reserve(static_cast<int32_t>(n));
    size_t left = n;
    size_t off = start;
    for (; left > 0; ++ci, off = 0) {
        const size_t take = std::min(left, chunks_[ci].size() - off);
        joined_.append(chunks_[ci].substr(off, take));
        left -= take;
    }
    return joined_.view();
}

std::string_view vtsgml::take_pending_text() {
    const bool in_markup =
        state_ == scan::detect || state_ == scan::body || state_ == scan::quoted_body;
    const int64_t to = position();
    std::string_view t;
    if ((keep_text_ || in_markup) && to > text_start_) t = range(text_start_, to);
    text_start_ = to;
    return t;
}

int vtsgml::finish() {
    std::string_view t = take_pending_text();
    if (!t.empty()) {
        int r = on_text(t);
        if (r) return r;
    }
    return VTSGML_DONE;
}

int vtsgml::on_text(std::string_view) {
    return 0;
}
int vtsgml::on_markup(xml_kind, std::string_view) {
    return 0;
}

vtstring error_text(const vtlexer& reader, int result) {
    vtstring out = "Line: ";
    out += std::to_string(reader.line());
    out += ", column: ";
    out += std::to_string(reader.column());
    out += "\r\nError: ";
    switch (result) {
        case VTSGML_MISPLACED_END:
            out += "misplaced end tag.\r\n";
            break;
        case VTSGML_UNCLOSED:
            out += "unclosed tag.\r\n";
            break;
        case VTSGML_SIZE_EXCEEDED:
            out += "size exceeded.\r\n";
            break;
        case VTSGML_NO_MEMORY:
            out += "unknown error.\r\n";
            break;
        default:
            break;
    }
    return out;
}
