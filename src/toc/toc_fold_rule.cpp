#include "toc/toc_fold_rule.h"

#include "html/xml_node.h"

namespace {

// Whether bytes hold word in any case: a tag without it has no attribute of
// that name, and most tags are passed by this alone.
bool holds_word(std::string_view bytes, std::string_view word) {
    for (size_t i = 0; i + word.size() <= bytes.size(); ++i) {
        size_t k = 0;
        while (k < word.size() && (bytes[i + k] | 0x20) == word[k]) ++k;
        if (k == word.size()) return true;
    }
    return false;
}

bool has_attribute(const xml_node* tag, std::string_view name) {
    return holds_word(tag->source, name) && tag->has_attribute(name);
}

// Whether an "a" element may be part of the text a navigation comment is
// followed by: only text and such links stand between them.
bool in_navigation_text(const xml_node* a) {
    const xml_node* before = a->prev;
    while (before && (before->kind == xml_kind::text ||
                      (before->kind == xml_kind::start_tag && before->name == "a")))
        before = before->prev;
    return before && before->kind == xml_kind::directive;
}

}  // namespace

fold_rule toc_fold_rule(const xml_node* node) {
    switch (node->kind) {
        case xml_kind::start_tag:
        case xml_kind::empty_tag:
            break;
        case xml_kind::end_tag:
        case xml_kind::text:
            return fold_rule::fold;
        default:
            return fold_rule::keep;
    }
    const std::string_view name = node->name;
    // Any "h" and one more byte: "h" and a byte b is a heading of level
    // b - '0', and the levels a project takes are not bounded.
    if ((name.size() == 2 && name[0] == 'h') || name == "title") return fold_rule::keep_inside;
    if (name == "body" || node->source.find("velt") != std::string_view::npos ||
        has_attribute(node, "id") || has_attribute(node, "name"))
        return fold_rule::keep;
    return name == "a" && in_navigation_text(node) ? fold_rule::stand : fold_rule::fold;
}
