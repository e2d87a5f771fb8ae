#include "html/comment_standing.h"

comment_standing::comment_standing(const xml_tree& tree) {
    const text_comments& found = tree.text_comments_found();
    if (!found.bytes.empty() && stands_for(tree, found.bytes)) found_ = &found;
}

// Whether the nodes' sources, in document order, are the bytes one after
// the other and nothing else: no node was taken out, changed or put in.
bool comment_standing::stands_for(const xml_tree& tree, std::string_view bytes) {
    const char* at = bytes.data();
    for (const xml_node* n = tree.first(); n; n = xml_tree::next(n)) {
        const std::string_view source = n->source;
        if (source.empty()) continue;
        if (source.data() != at) return false;
        at += source.size();
    }
    return at == bytes.data() + bytes.size();
}

bool comment_standing::comment_in_text(const xml_node* n) {
    const bool comment = n->kind == xml_kind::comment || n->kind == xml_kind::directive;
    if (!found_) {
        const bool in_text = context_.in_text();
        context_.read(n->source);
        return comment && in_text;
    }
    const std::string_view source = n->source;
    if (!comment || source.empty()) return false;
    const std::vector<const char*>& starts = found_->starts;
    while (next_ < starts.size() && starts[next_] < source.data()) ++next_;
    return next_ < starts.size() && starts[next_] == source.data();
}
