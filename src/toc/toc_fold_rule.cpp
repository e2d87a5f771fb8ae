#include "toc/toc_fold_rule.h"

#include "html/xml_node.h"

namespace {

// What a tag's bytes hold of the words that may keep it: "velt" as it
// stands, "id" and "name" in any case. A tag without "id" or "name" has no
// such attribute, and most tags are passed by this one look alone.
enum held_word : unsigned { held_velt = 1, held_id = 2, held_name = 4 };

unsigned held_words(std::string_view bytes) {
    unsigned held = 0;
    const size_t n = bytes.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        const char c = bytes[i];
        if (c == 'v' && bytes.substr(i, 4) == "velt") {
            held |= held_velt;
        } else if ((c | 0x20) == 'i') {
            if ((bytes[i + 1] | 0x20) == 'd') held |= held_id;
        } else if ((c | 0x20) == 'n' && i + 3 < n && (bytes[i + 1] | 0x20) == 'a' &&
                   (bytes[i + 2] | 0x20) == 'm' && (bytes[i + 3] | 0x20) == 'e') {
            held |= held_name;
        }
    }
    return held;
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
    if (name == "body") return fold_rule::keep;
    const unsigned held = held_words(node->source);
    if ((held & held_velt) || ((held & held_id) && node->has_attribute("id")) ||
        ((held & held_name) && node->has_attribute("name")))
        return fold_rule::keep;
    return name == "a" && in_navigation_text(node) ? fold_rule::stand : fold_rule::fold;
}
