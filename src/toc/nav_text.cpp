#include "toc/nav_text.h"

#include <algorithm>
#include <iterator>

#include "core/vthash.h"
#include "html/parse_tag.h"
#include "toc/breadcrumb.h"

namespace {

struct nav_name {
    std::string_view name;
    nav_kind kind;
};

constexpr nav_name nav_names[] = {
    {"velt_toc_nav_this", nav_kind::this_item},
    {"velt_toc_nav_next", nav_kind::next_item},
    {"velt_toc_nav_parent", nav_kind::parent_item},
    {"velt_toc_nav_prev_page", nav_kind::prev_page},
    {"velt_toc_nav_next_page", nav_kind::next_page},
    {"velt_toc_nav_contents", nav_kind::contents},
};

bool is_comment(const xml_node* n) {
    return n->kind == xml_kind::comment || n->kind == xml_kind::directive;
}

// A link as a build writes it: an "a" element holding text alone.
bool is_written_link(const xml_node* n) {
    if (n->kind != xml_kind::start_tag || n->name != "a") return false;
    for (const xml_node* c = n->first_child; c; c = c->next)
        if (c->kind != xml_kind::text && !(c->kind == xml_kind::end_tag && !c->next)) return false;
    return true;
}

void empty_subtree(xml_node* n) {
    n->source = {};
    for (xml_node* d = n->first_child; d; d = xml_tree::next_within(d, n)) d->source = {};
}

}  // namespace

nav_comment read_nav_comment(const xml_node* n) {
    nav_comment read;
    if (n->kind != xml_kind::directive) return read;
    const std::string_view src = n->source;
    // The inside: without "<!--#" and "-->".
    const std::string_view inside =
        src.size() >= 8 ? src.substr(5, src.size() - 8) : std::string_view();
    // Most comments are none of ours: their name alone says so, and it is
    // the name parse_tag finds.
    thread_local vtstring scratch;
    const std::string_view name = parse_tag_name(inside, scratch, tag_flags::lower_case);
    const auto known = std::find_if(std::begin(nav_names), std::end(nav_names),
                                    [&](const nav_name& k) { return name == k.name; });
    if (known == std::end(nav_names)) return read;
    vtstring tag_name;
    vthash attributes;
    parse_tag(inside, tag_name, &attributes, tag_flags::lower_case);
    read.kind = known->kind;
    read.link_last = link_last_value(attributes);
    return read;
}

xml_node* nav_text_end(const xml_node* n) {
    for (xml_node* s = n->next; s; s = s->next) {
        if (is_comment(s)) return s->source == nav_end_text ? s : nullptr;
        if (s->kind != xml_kind::text && !is_written_link(s)) return nullptr;
    }
    return nullptr;
}

bool take_out_nav_text(xml_tree& document) {
    bool found = false;
    for (xml_node* n = document.first(); n; n = xml_tree::next(n)) {
        if (n->kind != xml_kind::directive || read_nav_comment(n).kind == nav_kind::none) continue;
        xml_node* end = nav_text_end(n);
        if (!end) continue;
        found = true;
        for (xml_node* s = n->next; s != end; s = s->next) empty_subtree(s);
        end->source = {};
    }
    return found;
}

xml_node* put_nav_text(xml_tree& document, xml_node* n, std::string_view text) {
    xml_node* slot = document.make_text({});
    set_nav_text(document, slot, text);
    document.insert_after(slot, n);
    return slot;
}

void set_nav_text(xml_tree& document, xml_node* slot, std::string_view text) {
    document.set_source(slot, text, nav_end_text);
}
