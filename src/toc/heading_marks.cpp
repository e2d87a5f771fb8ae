#include "toc/heading_marks.h"

#include "toc/heading_id.h"
#include "toc/nav_text.h"
#include "toc/numbering_state.h"

namespace {

// Most tags hold no mark of a build; those that do name the maker.
bool names_the_maker(const xml_node* n) {
    return n->source.find("velt") != std::string_view::npos;
}

// "h1" to "h9" as the reader gives element names (lower case).
bool is_heading_name(std::string_view name) {
    return name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '9';
}

std::string_view own_tag(const xml_node* n) {
    const std::string_view tag = n->source;
    return tag.substr(0, tag.find('>') + 1);
}

}  // namespace

bool is_generated_anchor(const xml_node* n) {
    if (n->kind != xml_kind::start_tag || n->name != "a" || !names_the_maker(n)) return false;
    vtstring name;
    return n->attribute("name", name) && name.view().starts_with("velt_link_");
}

bool is_heading_link(const xml_node* n) {
    if (n->kind != xml_kind::start_tag || n->name != "a" || !names_the_maker(n)) return false;
    vtstring classes;
    return n->attribute("class", classes) && classes == heading_link_class;
}

void take_out_subtree(xml_node* n) {
    n->source = {};
    for (xml_node* d = n->first_child; d; d = xml_tree::next_within(d, n)) d->source = {};
}

void take_out_anchor(xml_node* anchor) {
    anchor->source = {};
    xml_node* end = anchor->last_child;
    if (end && end->kind == xml_kind::end_tag && end->name == "a" && end->closed) end->source = {};
}

xml_node* next_after_within(const xml_node* n, const xml_node* root) {
    for (; n && n != root; n = n->parent)
        if (n->next) return n->next;
    return nullptr;
}

bool clear_heading(xml_tree& document, xml_node* heading, number_rule numbers) {
    bool marked = false;
    vtstring without_id;
    if (names_the_maker(heading) && tag_without_own_id(own_tag(heading), without_id)) {
        document.set_source(heading, without_id.view(),
                            heading->source.substr(own_tag(heading).size()));
        marked = true;
    }
    // A heading whose start tag takes no anchor is linked by an empty one
    // right before it.
    if (xml_node* before = heading->prev; before && is_generated_anchor(before)) {
        const xml_node* inside = before->first_child;
        if (!inside || (inside->kind == xml_kind::end_tag && !inside->next)) {
            take_out_subtree(before);
            marked = true;
        }
    }
    xml_node* anchor = nullptr;
    for (xml_node* d = heading->first_child; d;) {
        if (is_heading_link(d)) {
            take_out_subtree(d);
            marked = true;
            d = next_after_within(d, heading);
            continue;
        }
        if (!anchor && is_generated_anchor(d)) {
            take_out_anchor(d);
            anchor = d;
            marked = true;
        }
        d = xml_tree::next_within(d, heading);
    }
    if (numbers == number_rule::build_form || (numbers == number_rule::when_marked && marked)) {
        numbering_state state;
        marked = take_inserted_number(state, heading->first_child, true) || marked;
    } else if (numbers == number_rule::apart_when_marked && marked) {
        numbering_state state;
        take_inserted_number(state, heading->first_child, false);
    }
    return marked;
}

bool shows_build_marks(const xml_node* heading) {
    vtstring id;
    if (names_the_maker(heading) && written_id_of(own_tag(heading), id)) return true;
    if (heading->prev && is_generated_anchor(heading->prev)) return true;
    for (const xml_node* d = heading->first_child; d; d = xml_tree::next_within(d, heading))
        if (is_generated_anchor(d) || is_heading_link(d)) return true;
    return false;
}

bool has_build_marks(const xml_tree& document) {
    vtstring id;
    for (const xml_node* n = document.first(); n; n = xml_tree::next(n)) {
        if (n->kind == xml_kind::comment && n->source == nav_end_text) return true;
        // A number in a span at the front of a heading: its page may show no
        // other mark when its headings have ids of their own.
        if (n->kind == xml_kind::start_tag && n->name == "span" && n->parent &&
            n->parent->first_child == n && is_heading_name(n->parent->name) && is_number_span(n))
            return true;
        if (n->kind != xml_kind::start_tag || !names_the_maker(n)) continue;
        if (is_generated_anchor(n) || is_heading_link(n) || written_id_of(own_tag(n), id))
            return true;
    }
    return false;
}
