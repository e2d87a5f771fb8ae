#include "toc/pre_html_toc.h"

#include <regex.h>

#include <algorithm>

#include "core/vtval.h"
#include "html/comment_standing.h"
#include "html/vtregex.h"

namespace {

const char placeholder_pattern[] = "<!--[ \t\r\n]*toc[ \t\r\n]*-->";

// Every placeholder holds the word "toc"; most comments don't, and they need
// no pattern match at all.
bool holds_toc(std::string_view s) {
    for (size_t i = 0; i + 3 <= s.size(); ++i)
        if ((s[i] | 0x20) == 't' && (s[i + 1] | 0x20) == 'o' && (s[i + 2] | 0x20) == 'c')
            return true;
    return false;
}

}  // namespace

bool pre_html_toc::is_placeholder(std::string_view source) {
    if (!holds_toc(source)) return false;
    vtval pattern(placeholder_pattern);
    vtval subject(source);
    return regex_match(pattern, REG_ICASE, subject, nullptr) == 0;
}

int32_t pre_html_toc::is_heading(std::string_view name) const {
    if (name.size() != 2 || (name[0] != 'h' && name[0] != 'H')) return 0;
    int32_t level = static_cast<unsigned char>(name[1]) - '0';
    return (level >= range_from && level <= range_to) ? level : 0;
}

bool pre_html_toc::is_skipped(const xml_node* heading) const {
    return has_class(heading, skip_class.view());
}

bool pre_html_toc::is_numbered(const xml_node* heading, int32_t level) const {
    return level >= numbering_from && level <= numbering_to &&
           !has_class(heading, unnumbered_class.view());
}

bool has_class(const xml_node* element, std::string_view word) {
    if (word.empty()) return false;
    vtstring classes;
    if (!element->attribute("class", classes)) return false;
    const std::string_view list = classes.view();
    const std::string_view blanks = " \t\n\f\r";
    for (size_t at = list.find_first_not_of(blanks); at != std::string_view::npos;) {
        const size_t end = std::min(list.find_first_of(blanks, at), list.size());
        if (list.substr(at, end - at) == word) return true;
        at = list.find_first_not_of(blanks, end);
    }
    return false;
}

void pre_html_toc::note_marker(xml_node* n, size_t order) {
    if (!toc_start_marker && n->source == toc_start_text) {
        toc_start_marker = n;
        start_order_ = order;
    } else if (!toc_end_marker && n->source == toc_end_text) {
        toc_end_marker = n;
        end_order_ = order;
    }
}

namespace {

// The nearest enclosing element that an end tag closed.
const xml_node* closed_parent(const xml_node* n) {
    for (const xml_node* p = n->parent; p; p = p->parent)
        if (p->kind == xml_kind::start_tag && p->closed) return p;
    return nullptr;
}

}  // namespace

void pre_html_toc::settle_markers() {
    if (!toc_start_marker || !toc_end_marker) return;
    // An element that an end tag closed and that holds one marker but not the
    // other starts before the stretch and ends inside it, or starts inside
    // and ends after it. Elements never closed cut nothing short: the reader
    // nests what follows them, in the TOC and after it.
    if (end_order_ < start_order_ ||
        closed_parent(toc_start_marker) != closed_parent(toc_end_marker))
        toc_start_marker = toc_end_marker = nullptr;
}

void pre_html_toc::find_markers() {
    toc_start_marker = toc_end_marker = nullptr;
    comment_standing comments(*document);
    size_t order = 0;
    for (xml_node* n = document->first(); n; n = xml_tree::next(n), ++order)
        if (comments.comment_in_text(n)) note_marker(n, order);
    settle_markers();
}

void pre_html_toc::scan_placement() {
    toc_start_marker = toc_end_marker = insertion_point = first_heading = body_element = nullptr;
    after_subtree = false;
    if (!document) return;
    comment_standing comments(*document);
    size_t order = 0;
    for (xml_node* n = document->first(); n; n = xml_tree::next(n), ++order) {
        if (n->kind == xml_kind::start_tag) {
            if (!first_heading && n->first_child && is_heading(n->name) && !is_skipped(n))
                first_heading = n;
            else if (!body_element && n->name == "body")
                body_element = n;
        }
        if (comments.comment_in_text(n)) {
            if (!insertion_point && is_placeholder(n->source))
                insertion_point = n;
            else
                note_marker(n, order);
        }
    }
    settle_markers();
    if (insertion_point) return;
    if (body_element) {
        insertion_point = body_element;
    } else if (first_heading) {
        xml_node* n = first_heading;
        while (n && !n->prev) n = n->parent;
        insertion_point = n ? n->prev.get() : nullptr;
        after_subtree = insertion_point != nullptr;
    } else {
        insertion_point = document->first();
    }
}
