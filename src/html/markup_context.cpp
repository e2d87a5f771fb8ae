#include "html/markup_context.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/vtstring.h"

namespace {

bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The bytes that end a run inside a tag, by state: one table lookup a byte.
enum tag_stop : uint8_t { ends_name = 1, ends_attribute = 2, ends_value = 4 };

constexpr std::array<uint8_t, 256> tag_stops = [] {
    std::array<uint8_t, 256> t{};
    for (const char c : {' ', '\t', '\n', '\r', '\f'})
        t[static_cast<unsigned char>(c)] = ends_name | ends_value;
    t['/'] = ends_name;
    t['='] = ends_attribute;
    t['>'] = ends_name | ends_attribute | ends_value;
    return t;
}();

// The index of the first byte from i on that is one of stop; bytes.size()
// when there is none.
size_t find_stop(std::string_view bytes, size_t i, uint8_t stop) {
    while (i < bytes.size() && !(tag_stops[static_cast<unsigned char>(bytes[i])] & stop)) ++i;
    return i;
}

// Elements whose content a browser reads as text up to their own end tag.
constexpr std::array<std::string_view, 8> raw_text_elements = {
    "script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes"};

}  // namespace

void markup_context::read(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        if (state_ >= state::tag_name && state_ <= state::single_quoted) {
            i = read_tag(bytes, i);
            continue;
        }
        i = skip(bytes, i);
        if (i < bytes.size() && !begin_tag(bytes, i) && step(bytes[i])) ++i;
    }
}

// The common start of a tag, "<" and a letter or "</" and a letter, taken
// in one go (i moves to the first byte of the name or to the letter after
// the "/"); false for anything else, which step() reads.
bool markup_context::begin_tag(std::string_view bytes, size_t& i) {
    if (state_ != state::text || i + 2 >= bytes.size()) return false;
    if (is_letter(bytes[i + 1])) {
        start_name(false);
        i += 1;
    } else if (bytes[i + 1] == '/' && is_letter(bytes[i + 2])) {
        start_name(true);
        i += 3;
    } else {
        return false;
    }
    return true;
}

void markup_context::start_name(bool end_tag) {
    end_tag_ = end_tag;
    if (!end_tag) {
        name_length_ = 0;
        name_too_long_ = false;
    }
    state_ = state::tag_name;
}

// Runs of bytes that cannot change the state are passed over in one go.
size_t markup_context::skip(std::string_view bytes, size_t at) const {
    auto to = [&](char wanted) {
        const void* p = std::memchr(bytes.data() + at, wanted, bytes.size() - at);
        return p ? static_cast<size_t>(static_cast<const char*>(p) - bytes.data()) : bytes.size();
    };
    switch (state_) {
        case state::text:
        case state::raw_text:
            return to('<');
        case state::comment:
            return to('-');
        case state::bogus_comment:
            return to('>');
        default:
            return at;
    }
}

// A page is mostly tags and text: the states inside a tag run in one loop
// here, without a call for each byte, until the tag ends or the bytes do.
size_t markup_context::read_tag(std::string_view bytes, size_t i) {
    const size_t n = bytes.size();
    // At the byte that ended a run (or past the bytes): '>' ends the tag,
    // any other byte moves on to next. True when the tag or the bytes ended.
    auto stopped = [&](state next) {
        if (i == n) return true;
        if (bytes[i++] == '>') {
            end_tag();
            return true;
        }
        state_ = next;
        return false;
    };
    while (i < n) {
        const char c = bytes[i];
        switch (state_) {
            case state::tag_name: {
                const size_t from = i;
                i = find_stop(bytes, i, ends_name);
                if (!end_tag_) keep_name(bytes.substr(from, i - from));
                if (stopped(state::in_tag)) return i;
                break;
            }
            case state::in_tag:
                // Attribute names and blanks: only a value or the tag's end counts.
                i = find_stop(bytes, i, ends_attribute);
                if (stopped(state::before_value)) return i;
                break;
            case state::before_value:
                if (c == '>') {
                    end_tag();
                    return i + 1;
                }
                if (c == '"' || c == '\'')
                    state_ = c == '"' ? state::double_quoted : state::single_quoted;
                else if (!is_blank(c))
                    state_ = state::unquoted_value;  // c is the value's first byte
                if (state_ != state::unquoted_value) ++i;
                break;
            case state::unquoted_value:
                i = find_stop(bytes, i, ends_value);
                if (stopped(state::in_tag)) return i;
                break;
            case state::double_quoted:
            case state::single_quoted: {
                const char quote = state_ == state::double_quoted ? '"' : '\'';
                const void* p = std::memchr(bytes.data() + i, quote, n - i);
                if (!p) return n;
                i = static_cast<size_t>(static_cast<const char*>(p) - bytes.data()) + 1;
                state_ = state::in_tag;
                break;
            }
            default:
                return i;
        }
    }
    return i;
}

bool markup_context::step(char c) {
    switch (state_) {
        case state::text:
            if (c == '<') state_ = state::tag_open;
            return true;
        case state::tag_open:
            if (is_letter(c)) {
                start_name(false);
                return false;
            }
            state_ = c == '/'   ? state::end_tag_open
                     : c == '!' ? state::bang
                     : c == '?' ? state::bogus_comment
                                : state::text;
            return c == '/' || c == '!' || c == '?';
        case state::end_tag_open:
            if (is_letter(c)) {
                start_name(true);
                return true;
            }
            state_ = c == '>' ? state::text : state::bogus_comment;
            return true;
        case state::bang:
            if (c == '-') {
                state_ = state::bang_dash;
                return true;
            }
            state_ = state::bogus_comment;
            return false;
        case state::bang_dash:
            if (c == '-') {
                state_ = state::comment_start;
                return true;
            }
            state_ = state::bogus_comment;
            return false;
        case state::comment_start:
            state_ = c == '>' ? state::text : c == '-' ? state::comment_start_dash : state::comment;
            return c == '>' || c == '-';
        case state::comment_start_dash:
            state_ = c == '>' ? state::text : c == '-' ? state::comment_end : state::comment;
            return c == '>' || c == '-';
        case state::comment:
            if (c == '-') state_ = state::comment_end_dash;
            return true;
        case state::comment_end_dash:
            state_ = c == '-' ? state::comment_end : state::comment;
            return c == '-';
        case state::comment_end:
            if (c == '-') return true;
            state_ = c == '>' ? state::text : c == '!' ? state::comment_end_bang : state::comment;
            return c == '>' || c == '!';
        case state::comment_end_bang:
            state_ = c == '>' ? state::text : c == '-' ? state::comment_end_dash : state::comment;
            return c == '>' || c == '-';
        case state::bogus_comment:
            if (c == '>') state_ = state::text;
            return true;
        case state::tag_name:
        case state::in_tag:
        case state::before_value:
        case state::unquoted_value:
        case state::double_quoted:
        case state::single_quoted:
            break;  // read_tag reads these
        case state::raw_text:
            if (c == '<') state_ = state::raw_less;
            return true;
        case state::raw_less:
            if (c == '/') {
                matched_ = 0;
                state_ = state::raw_end_name;
                return true;
            }
            state_ = state::raw_text;
            return false;
        case state::raw_end_name:
            if (matched_ < name_length_) {
                if (vt_lower(c) == name_[matched_]) {
                    ++matched_;
                    return true;
                }
            } else if (is_blank(c) || c == '/' || c == '>') {
                end_tag_ = true;
                state_ = state::in_tag;
                return false;
            }
            state_ = state::raw_text;
            return false;
    }
    return true;
}

void markup_context::keep_name(std::string_view part) {
    for (const char c : part) {
        if (name_length_ == sizeof name_) {
            name_too_long_ = true;
            return;
        }
        name_[name_length_++] = vt_lower(c);
    }
}

void markup_context::end_tag() {
    state_ = state::text;
    if (end_tag_ || name_too_long_) return;
    const std::string_view name(name_, name_length_);
    if (std::find(raw_text_elements.begin(), raw_text_elements.end(), name) !=
        raw_text_elements.end())
        state_ = state::raw_text;
}
