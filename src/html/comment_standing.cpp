#include "html/comment_standing.h"

comment_standing::comment_standing(const xml_tree& tree) {
    const text_comments& found = tree.text_comments_found();
    if (found.bytes.empty()) return;
    found_ = &found;
    expected_ = found.bytes.data();
}

bool comment_standing::comment_in_text(const xml_node* n) {
    const bool comment = n->kind == xml_kind::comment || n->kind == xml_kind::directive;
    const std::string_view source = n->source;
    if (found_) {
        if (source.empty()) return false;
        const std::string_view bytes = found_->bytes;
        if (source.data() == expected_ &&
            source.size() <= static_cast<size_t>(bytes.data() + bytes.size() - expected_)) {
            expected_ += source.size();
            return comment && noted(source.data());
        }
        // Here the nodes part from the bytes read: what they stood for so
        // far is read now, and every node's bytes from here on.
        context_.read(bytes.substr(0, static_cast<size_t>(expected_ - bytes.data())));
        found_ = nullptr;
    }
    const bool in_text = context_.in_text();
    context_.read(source);
    return comment && in_text;
}

bool comment_standing::noted(const char* start) {
    const std::vector<const char*>& starts = found_->starts;
    while (next_ < starts.size() && starts[next_] < start) ++next_;
    return next_ < starts.size() && starts[next_] == start;
}
