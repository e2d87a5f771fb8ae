#include "toc/html_toc_rollback.h"

#include "toc/heading_id.h"
#include "toc/numbering_state.h"

namespace {

bool is_generated_anchor(const xml_node* n) {
    if (n->kind != xml_kind::start_tag || n->name != "a") return false;
    vtstring name;
    return n->attribute("name", name) && name.view().substr(0, 10) == "velt_link_";
}

}  // namespace

int html_toc_rollback::clear_document() {
    // Markers are judged on the page as read, before anchors go.
    find_markers();
    xml_node* n = document->first();
    while (n) {
        if (n->kind == xml_kind::start_tag && is_heading(n->name) && n->first_child) {
            if (!is_skipped(n)) clear_heading(n);
            n = xml_tree::next_after(n);
            continue;
        }
        n = xml_tree::next(n);
    }
    return 0;
}

void html_toc_rollback::clear_heading(xml_node* heading) {
    numbering_state state;
    // Behind an id a build wrote, the number in front of the text is the
    // build's too: it goes whole, so the heading reads as it did before.
    vtstring without_id;
    if (remove_anchors && tag_without_own_id(heading->source, without_id)) {
        document->set_source(heading, without_id.view());
        if (process_numbering) take_inserted_number(state, heading->first_child, true);
    }
    xml_node* anchor = nullptr;
    for (xml_node* d = heading->first_child; d; d = xml_tree::next_within(d, heading)) {
        if (remove_anchors && !anchor && is_generated_anchor(d)) {
            d->source = {};
            anchor = d;
        } else if (anchor && d->kind == xml_kind::end_tag && d->name == "a" && d->closed &&
                   d->parent == anchor && !d->next) {
            d->source = {};
        } else if (process_numbering && is_text_node(d)) {
            strip_numbering(state, d, *document);
        }
    }
}
