#include "toc/html_toc_rollback.h"

#include "toc/heading_marks.h"
#include "toc/nav_text.h"

void html_toc_rollback::clear_document() {
    // Markers are judged on the page as read, before anchors go.
    find_markers();
    const bool built = (toc_start_marker && toc_end_marker) || has_build_marks(*document);
    if (!built || !remove_anchors) return;
    take_out_nav_text(*document);
    // A heading below one of the unnumbered class (on this page) got no
    // number either.
    int32_t unnumbered_level = 0;
    xml_node* n = document->first();
    while (n) {
        const int32_t level = n->kind == xml_kind::start_tag ? is_heading(n->name) : 0;
        if (level && n->first_child) {
            if (unnumbered_level && level <= unnumbered_level) unnumbered_level = 0;
            if (!unnumbered_level && has_class(n, unnumbered_class.view()))
                unnumbered_level = level;
            number_rule numbers = number_rule::keep;
            if (process_numbering && is_skipped(n))
                numbers = number_rule::when_marked;
            else if (process_numbering)
                numbers = !unnumbered_level && is_numbered(n, level)
                              ? number_rule::build_form
                              : number_rule::apart_when_marked;
            clear_heading(*document, n, numbers);
            n = xml_tree::next_after(n);
            continue;
        }
        n = xml_tree::next(n);
    }
}
