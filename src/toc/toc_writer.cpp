#include "toc/toc_writer.h"

#include "core/page_size_limit.h"

namespace {

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

// Hands the page's bytes to put in order, the TOC pieces after the
// insertion point and the old TOC left out.
template <class Put>
void walk_with_toc(const xml_tree& document, const toc_placement& placement, const vtarr* toc,
                   Put put) {
    const xml_node* start = placement.start_marker;
    const xml_node* end = placement.end_marker;
    bool writing = true;
    bool seen_start = false;
    bool toc_pending = false;  // the insertion point fell inside the old TOC
    const xml_node* point = placement.after_subtree ? last_descendant(placement.insertion_point)
                                                    : placement.insertion_point;
    auto put_toc = [&] {
        if (toc)
            for (const vtval& piece : *toc) put(piece.text());
    };
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
                if (toc_pending) put_toc();
                toc_pending = false;
                continue;
            }
        }
        if (!writing) {
            if (n == point) toc_pending = true;
            continue;
        }
        if (!n->source.empty()) put(n->source);
        if (n == point) put_toc();
    }
}

}  // namespace

void write_with_toc(const xml_tree& document, const toc_placement& placement, const vtarr* toc,
                    vtstring& out) {
    out.reserve(out.length() + static_cast<int32_t>(document_size(document, toc)));
    walk_with_toc(document, placement, toc, [&](std::string_view bytes) { out.append(bytes); });
}

bool write_with_toc(const xml_tree& document, const toc_placement& placement, const vtarr* toc,
                    atomic_file& out) {
    bool ok = true;
    walk_with_toc(document, placement, toc,
                  [&](std::string_view bytes) { ok = out.write(bytes) && ok; });
    return ok;
}

bool write_page_file(std::string_view path, const xml_tree& document,
                     const toc_placement& placement, const vtarr* toc, vtstring& error) {
    atomic_file file;
    if (file.open(path)) file.set_size_limit(page_size_limit);
    if (file.is_open() && write_with_toc(document, placement, toc, file) && file.commit())
        return true;
    error = vtfile_error_message(file.error(), path);
    return false;
}
