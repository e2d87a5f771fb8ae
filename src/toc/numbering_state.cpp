#include "toc/numbering_state.h"

#include "core/vtstring.h"

namespace {
bool is_white(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool is_number(char c) {
    return (c >= '0' && c <= '9') || c == '.';
}
}  // namespace

size_t inserted_number_length(std::string_view s) {
    bool digit = false;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.' && digit)
            digit = false;
        else
            return c == ' ' && i >= 2 && s[i - 1] == '.' ? i + 1 : 0;
    }
    return 0;
}

bool take_inserted_number(numbering_state& state, xml_node* first, bool in_text) {
    if (!first || !is_text_node(first)) return false;
    const size_t length = inserted_number_length(first->source);
    if (!length || (length != first->source.size() && !in_text)) return false;
    first->source = first->source.substr(length);
    state.seen_number = 1;
    return true;
}

void strip_numbering(numbering_state& state, xml_node* node, xml_tree& document) {
    if (state.done) return;
    std::string_view in = node->source;
    vtstring out;
    // The result is never longer than the node: one allocation, not one per
    // few bytes appended.
    out.reserve(static_cast<int32_t>(in.size()));
    size_t i = 0;
    while (i < in.size() && !state.done) {
        char c = in[i];
        if (is_white(c)) {
            if (state.seen_number) {
                out.append(c);
                state.done = 1;
                state.last_class = 1;
            }
            ++i;
        } else if (is_number(c)) {
            // A run of digits and dots is a number only when white space or
            // the end of the node follows it: "2001:" and "3D" are words.
            size_t end = i;
            while (end < in.size() && is_number(in[end])) ++end;
            if (end < in.size() && !is_white(in[end])) {
                state.done = 1;
                state.last_class = 2;
                break;
            }
            state.seen_number = 1;
            i = end;
        } else {
            out.append(c);
            state.done = 1;
            state.last_class = 2;
            ++i;
        }
    }
    // After the number only the run of white space that follows it shrinks
    // to its first byte; the rest of the node is kept as it is.
    for (; i < in.size(); ++i) {
        char c = in[i];
        if (is_white(c)) {
            if (state.last_class == 2) out.append(c);
        } else {
            out.append(c);
            state.last_class = 2;
        }
    }
    if (out.view() != in) document.set_source(node, out.view());
}
