#include "toc/html_toc_rollback.h"

#include "toc/heading_marks.h"
#include "toc/nav_text.h"

int html_toc_rollback::clear_document() {
    // Markers are judged on the page as read, before anchors go.
    find_markers();
    const bool built = (toc_start_marker && toc_end_marker) || has_build_marks(*document);
    if (!built || !remove_anchors) return 0;
    take_out_nav_text(*document);
    const number_rule numbers = process_numbering ? number_rule::build_form : number_rule::keep;
    xml_node* n = document->first();
    while (n) {
        if (n->kind == xml_kind::start_tag && is_heading(n->name) && n->first_child) {
            clear_heading(
                *document, n,
                is_skipped(n) && numbers != number_rule::keep ? number_rule::when_marked : numbers);
            n = xml_tree::next_after(n);
            continue;
        }
        n = xml_tree::next(n);
    }
    return 0;
}
