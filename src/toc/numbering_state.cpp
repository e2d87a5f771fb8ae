#include "toc/numbering_state.h"

namespace {
bool is_white(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool is_number(char c) {
    return (c >= '0' && c <= '9') || c == '.';
}
size_t skip_white(std::string_view s, size_t at) {
    while (at < s.size() && is_white(s[at])) ++at;
    return at;
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

bool is_number_span(const xml_node* n) {
    if (n->kind != xml_kind::start_tag || n->name != "span") return false;
    constexpr std::string_view front = "<span class=\"";
    const std::string_view tag = n->source;
    if (!tag.starts_with(front) || !tag.ends_with("\">") ||
        tag.substr(front.size(), tag.size() - front.size() - 2).find_first_of("\"<>") !=
            std::string_view::npos)
        return false;
    const xml_node* number = n->first_child;
    if (!number || number->kind != xml_kind::text || !number->next) return false;
    const xml_node* end = number->next;
    if (end->next || end->kind != xml_kind::end_tag || !end->closed || end->source != "</span>")
        return false;
    vtstring spaced(number->source);
    spaced.append(' ');
    return inserted_number_length(spaced.view()) == spaced.view().size();
}

bool take_inserted_number(numbering_state& state, xml_node* first, bool in_text) {
    if (!first) return false;
    if (is_number_span(first)) {
        // The span marks the number as a build's: its blank goes with it.
        xml_node* blank = first->next;
        if (!blank || !is_text_node(blank) || !blank->source.starts_with(' ')) return false;
        first->source = {};
        for (xml_node* d = first->first_child; d; d = d->next) d->source = {};
        blank->source = blank->source.substr(1);
        state.seen_number = true;
        state.done = true;
        return true;
    }
    if (!is_text_node(first)) return false;
    const size_t length = inserted_number_length(first->source);
    if (!length || (length != first->source.size() && !in_text)) return false;
    first->source = first->source.substr(length);
    // What follows a number a build wrote is the heading's own text.
    state.seen_number = true;
    state.done = true;
    return true;
}

void strip_numbering(numbering_state& state, xml_node* node) {
    if (state.done) return;
    const std::string_view in = node->source;
    size_t from = 0;  // the bytes before this one go
    if (!state.seen_number) {
        const size_t number = skip_white(in, 0);
        if (number == in.size()) return;  // white space alone: the text may follow
        size_t end = number;
        while (end < in.size() && is_number(in[end])) ++end;
        if (end == number || (end < in.size() && !is_white(in[end]))) {
            state.done = true;  // the text begins without a number
            return;
        }
        state.seen_number = true;
        from = end;
    }
    // After the number its white space goes too, up to the text.
    from = skip_white(in, from);
    if (from < in.size()) state.done = true;
    node->source = in.substr(from);
}
