#include "toc/toc_writer.h"

namespace {

constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";

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

// Hands the bytes of nodes that follow one another in memory (a page read
// in place) to put in one piece.
template <class Put>
class joined_pieces {
  public:
    explicit joined_pieces(Put& put) : put_(put) {}
    void add(std::string_view bytes) {
        if (bytes.empty()) return;
        if (!run_.empty() && run_.data() + run_.size() == bytes.data()) {
            run_ = std::string_view(run_.data(), run_.size() + bytes.size());
            return;
        }
        flush();
        run_ = bytes;
    }
    void flush() {
        if (!run_.empty()) put_(run_);
        run_ = {};
    }

  private:
    Put& put_;
    std::string_view run_;
};

// Hands the page's bytes to put in order, the TOC (put_toc) after the
// insertion point and the old TOC left out.
template <class Put, class PutToc>
void walk_with_toc(const xml_tree& document, const toc_placement& placement, Put put_piece,
                   PutToc put_piece_toc) {
    joined_pieces<Put> joined(put_piece);
    const auto put = [&](std::string_view bytes) { joined.add(bytes); };
    const auto put_toc = [&] {
        joined.flush();
        put_piece_toc();
    };
    const xml_node* start = placement.start_marker;
    const xml_node* end = placement.end_marker;
    bool writing = true;
    bool seen_start = false;
    bool toc_pending = false;  // the insertion point fell inside the old TOC
    const xml_node* point = placement.after_subtree ? last_descendant(placement.insertion_point)
                                                    : placement.insertion_point;
    // A TOC at the very start of a page goes after its byte-order mark.
    const xml_node* bom_node = nullptr;
    if (point && point == document.first() && point->source.empty()) {
        const xml_node* n = xml_tree::next(point);
        if (n && n->kind == xml_kind::text && n->source.starts_with(utf8_bom)) bom_node = n;
    }
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
        if (n == bom_node) {
            put(utf8_bom);
            put_toc();
            put(n->source.substr(utf8_bom.size()));
            continue;
        }
        if (!n->source.empty()) put(n->source);
        if (n == point && !bom_node) put_toc();
    }
    joined.flush();
}

// The pieces of a TOC rendered before.
auto pieces_of(const vtarr* toc) {
    return [toc](const auto& put) {
        if (toc)
            for (const vtval& piece : *toc) put(piece.text());
    };
}

}  // namespace

void write_with_toc(const xml_tree& document, const toc_placement& placement, const vtarr* toc,
                    vtstring& out) {
    out.reserve(out.length() + static_cast<int32_t>(document_size(document, toc)));
    auto put = [&](std::string_view bytes) { out.append(bytes); };
    walk_with_toc(document, placement, put, [&] { pieces_of(toc)(put); });
}

bool write_with_toc(const xml_tree& document, const toc_placement& placement,
                    const toc_maker& make_toc, staged_file& out) {
    bool ok = true;
    const std::function<void(std::string_view)> put = [&](std::string_view bytes) {
        ok = out.write(bytes) && ok;
    };
    walk_with_toc(document, placement, put, [&] { ok = make_toc(put) && ok; });
    return ok;
}
