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

void strip_numbering(numbering_state& state, xml_node* node, xml_tree& document) {
    if (state.done) return;
    std::string_view in = node->source;
    vtstring out;
    // The result is never longer than the node: one allocation, not one per
    // few bytes appended.
    out.reserve(static_cast<int32_t>(in.size()));
    size_t i = 0;
    for (; i < in.size() && !state.done; ++i) {
        char c = in[i];
        if (is_white(c)) {
            if (state.seen_number) {
                out.append(c);
                state.done = 1;
                state.last_class = 1;
            }
        } else if (is_number(c)) {
            state.seen_number = 1;
        } else {
            out.append(c);
            state.done = 1;
            state.last_class = 2;
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
