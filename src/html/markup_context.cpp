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

// Elements whose content a browser reads as text up to their own end tag.
constexpr std::array<std::string_view, 8> raw_text_elements = {
    "script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes"};

}  // namespace

void markup_context::read(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        i = skip(bytes, i);
        if (i < bytes.size() && step(bytes[i])) ++i;
    }
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
        case state::double_quoted:
            return to('"');
        case state::single_quoted:
            return to('\'');
        case state::in_tag: {
            // Attribute names and blanks: only a value or the tag's end counts.
            size_t i = at;
            while (i < bytes.size() && bytes[i] != '>' && bytes[i] != '=') ++i;
            return i;
        }
        case state::unquoted_value: {
            size_t i = at;
            while (i < bytes.size() && bytes[i] != '>' && !is_blank(bytes[i])) ++i;
            return i;
        }
        default:
            return at;
    }
}

bool markup_context::step(char c) {
    switch (state_) {
        case state::text:
            if (c == '<') state_ = state::tag_open;
            return true;
        case state::tag_open:
            if (is_letter(c)) {
                end_tag_ = false;
                name_length_ = 0;
                name_too_long_ = false;
                state_ = state::tag_name;
                return false;
            }
            state_ = c == '/'   ? state::end_tag_open
                     : c == '!' ? state::bang
                     : c == '?' ? state::bogus_comment
                                : state::text;
            return c == '/' || c == '!' || c == '?';
        case state::end_tag_open:
            if (is_letter(c)) {
                end_tag_ = true;
                state_ = state::tag_name;
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
            if (is_blank(c) || c == '/') {
                state_ = state::in_tag;
            } else if (c == '>') {
                end_tag();
            } else if (!end_tag_) {
                if (name_length_ < sizeof name_)
                    name_[name_length_++] = vt_lower(c);
                else
                    name_too_long_ = true;
            }
            return true;
        case state::in_tag:
            if (c == '>')
                end_tag();
            else if (c == '=')
                state_ = state::before_value;
            return true;
        case state::before_value:
            if (is_blank(c)) return true;
            state_ = c == '"'    ? state::double_quoted
                     : c == '\'' ? state::single_quoted
                                 : state::unquoted_value;
            if (c == '>') end_tag();
            return c == '"' || c == '\'' || c == '>';
        case state::unquoted_value:
            if (is_blank(c))
                state_ = state::in_tag;
            else if (c == '>')
                end_tag();
            return true;
        case state::double_quoted:
        case state::single_quoted:
            state_ = state::in_tag;
            return true;
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

void markup_context::end_tag() {
    state_ = state::text;
    if (end_tag_ || name_too_long_) return;
    const std::string_view name(name_, name_length_);
    if (std::find(raw_text_elements.begin(), raw_text_elements.end(), name) !=
        raw_text_elements.end())
        state_ = state::raw_text;
}
