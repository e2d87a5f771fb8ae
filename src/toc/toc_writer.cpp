#include "toc/toc_writer.h"

namespace {

void append_pieces(const vtarr* toc, vtstring& out) {
    if (!toc) return;
    for (const vtval& piece : *toc) out.append(piece.text());
}

size_t document_size(const xml_tree& document, const vtarr* toc) {
    size_t total = 0;
    for (const xml_node* n = document.first(); n; n = xml_tree::next(n)) total += n->source.size();
    if (toc)
        for (const vtval& piece : *toc) total += piece.text().size();
    return total;
}

// The last node of n's subtree in document order.
const xml_node* last_descendant(const xml_node* n) {
    while (n && n->last_child) n = n->last_child;
    return n;
}

}  // namespace

void write_with_toc(const xml_tree& document, const toc_placement& placement, const vtarr* toc,
                    vtstring& out) {
    out.reserve(out.length() + static_cast<int32_t>(document_size(document, toc)));
    const xml_node* start = placement.start_marker;
    const xml_node* end = placement.end_marker;
    bool writing = true;
    bool seen_start = false;
    bool toc_pending = false;  // the insertion point fell inside the old TOC
    const xml_node* point = placement.after_subtree ? last_descendant(placement.insertion_point)
                                                    : placement.insertion_point;
    for (const xml_node* n = document.first(); n; n = xml_tree::next(n)) {
        if (n == start && end) {
            seen_start = true;
            writing = false;
            if (n == point) toc_pending = true;
            continue;
        }
        if (n == end) {
            if (start && !seen_start) {
                // An end marker before the start marker: neither counts.
                start = end = nullptr;
            } else {
                writing = true;
                if (n == point) toc_pending = true;
                if (toc_pending) append_pieces(toc, out);
                toc_pending = false;
                continue;
            }
        }
        if (!writing) {
            if (n == point) toc_pending = true;
            continue;
        }
        out.append(n->source);
        if (n == point) append_pieces(toc, out);
    }
}
