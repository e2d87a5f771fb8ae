#include "toc/page_line_end.h"

std::string_view page_line_end(const xml_tree& document, const toc_placement& placement) {
    const bool old_toc = placement.start_marker && placement.end_marker;
    bool inside = false;
    char before = 0;  // the byte before the node examined
    for (const xml_node* n = document.first(); n; n = xml_tree::next(n)) {
        if (old_toc && n == placement.start_marker) inside = true;
        if (inside) {
            if (n == placement.end_marker) inside = false;
            continue;
        }
        const std::string_view s = n->source;
        const size_t lf = s.find('\n');
        if (lf != std::string_view::npos) {
            const char previous = lf ? s[lf - 1] : before;
            return previous == '\r' ? "\r\n" : "\n";
        }
        if (!s.empty()) before = s.back();
    }
    return "\n";
}

void line_end_sink::operator()(std::string_view piece) {
    if (piece.empty()) return;
    if (held_cr_) {
        held_cr_ = false;
        if (piece.front() != '\n') pass("\r");
    }
    size_t from = 0;
    for (size_t lf = piece.find('\n'); lf != std::string_view::npos;
         lf = piece.find('\n', lf + 1)) {
        const bool cr = lf ? piece[lf - 1] == '\r' : after_cr_;
        if (crlf_ && !cr) {
            pass(piece.substr(from, lf - from));
            pass("\r");
            from = lf;
        } else if (!crlf_ && cr && lf) {
            pass(piece.substr(from, lf - 1 - from));
            from = lf;
        }
    }
    // The CR of a CR LF that the next piece completes goes with it.
    if (!crlf_ && piece.back() == '\r') {
        pass(piece.substr(from, piece.size() - 1 - from));
        held_cr_ = true;
    } else {
        pass(piece.substr(from));
    }
    after_cr_ = piece.back() == '\r';
}

void line_end_sink::finish() {
    if (held_cr_) pass("\r");
    held_cr_ = false;
}
