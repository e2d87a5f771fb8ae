#include "toc/html_toc.h"

#include <charconv>
#include <cstdlib>
#include <ctime>

#include "html/parse_tag.h"
#include "toc/blank_heading.h"
#include "toc/breadcrumb.h"
#include "toc/heading_id.h"
#include "toc/heading_marks.h"
#include "toc/readable_id.h"

int32_t toc_time_stamp() {
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        char* end = nullptr;
        long long v = std::strtoll(epoch, &end, 10);
        if (end != epoch && *end == 0) return static_cast<int32_t>(v);
    }
    return static_cast<int32_t>(std::time(nullptr));
}

namespace {

// "</a>" and a heading's end tag as it is mostly written ("</h1>" to
// "</h9>"): fixed texts, so most headings need no copy of their end tag.
std::string_view anchor_end_before(std::string_view end_tag) {
    static constexpr std::string_view joined[] = {
        "</a></h0>", "</a></h1>", "</a></h2>", "</a></h3>", "</a></h4>",
        "</a></h5>", "</a></h6>", "</a></h7>", "</a></h8>", "</a></h9>"};
    if (end_tag.size() != 5 || !end_tag.starts_with("</h") || end_tag[4] != '>' ||
        end_tag[3] < '0' || end_tag[3] > '9')
        return {};
    return joined[end_tag[3] - '0'];
}

// The name of the empty anchor that a build (or an earlier pass of this
// scan) put right before a heading; false when there is none.
bool anchor_before(const xml_node* heading, vtstring& name) {
    const xml_node* before = heading->prev;
    if (!before) return false;
    if (is_generated_anchor(before)) return before->attribute("name", name);
    const std::string_view made = before->source;
    if (before->kind != xml_kind::text || !made.starts_with("<a name=\"velt_link_")) return false;
    return parse_tag_attribute(made.substr(1, made.find('>') - 1), "name", name,
                               tag_flags::lower_case);
}

}  // namespace

toc_node* html_toc::new_item(int32_t level, bool unnumbered) {
    ++item_counter_;
    toc_node* item = toc->make();
    item->heading_level = static_cast<int8_t>(level);
    item->page = page;
    add_item(item);
    item->unnumbered_branch = unnumbered || (item->parent && item->parent->unnumbered_branch);
    if (process_numbering) make_numbering();
    return item;
}

toc_node* html_toc::replay_item(int32_t level, bool unnumbered, std::string_view text,
                                std::string_view link) {
    toc_node* item = new_item(level, unnumbered);
    toc->set_text(item, text);
    toc->set_link(item, link);
    return item;
}

void html_toc::add_item(toc_node* item) {
    const int32_t level = item->heading_level;
    for (toc_node* x = current_item; x; x = x->parent) {
        if (x->heading_level < level) {
            toc->append_child(item, x);
            current_item = item;
            return;
        }
        if (x->heading_level == level) {
            toc->append_sibling(item, x);
            current_item = item;
            return;
        }
    }
    toc->append_top(item);
    current_item = item;
}

void html_toc::make_numbering() {
    if (!current_item) return;
    toc_node* item = current_item;
    const int32_t level = item->heading_level;
    if (item->unnumbered_branch || level < numbering_from || level > numbering_to) {
        toc->set_numbering(item, {});
        return;
    }
    // Items outside the numbering levels above this one count for nothing:
    // the places are counted at the nearest numbered item.
    toc_node* above = item->parent;
    while (above && above->numbering().empty()) above = above->parent;
    vtstring number;
    int64_t place;
    if (above) {
        const std::string_view prefix = above->numbering();
        number.append(prefix.substr(0, prefix.size() - 1));
        place = ++above->numbered_below;
    } else {
        place = int64_t{++toc->numbered_top} + numbering_start - 1;
    }
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, place).ptr;
    number.append(std::string_view(digits, static_cast<size_t>(end - digits)));
    number.append(". ");
    toc->set_numbering(item, number.view());
}

void html_toc::append_number(vtstring& inserted, std::string_view numbering) const {
    if (numbering.empty()) return;
    if (number_class.empty()) {
        inserted.append(numbering);
        return;
    }
    inserted.append("<span class=\"").append(number_class).append("\">");
    inserted.append(numbering.substr(0, numbering.size() - 1)).append("</span> ");
}

void html_toc::prepare() {
    // What builds wrote after navigation comments is written afresh, or not
    // at all where this scan does not pass.
    take_out_nav_text(*document);
    scan_placement();
    prepared_ = true;
}

void html_toc::scan_headings() {
    if (!prepared_) prepare();
    prepared_ = false;
    if (!time_stamp) time_stamp = toc_time_stamp();
    item_counter_ = 0;
    used_time_stamp_ = false;
    ids_.reset();
    generated_names_.clear();
    next_page_slots.clear();
    xml_node* n = insertion_point;
    bool jump = false;
    if (process_title) {
        n = document->first();
        jump = n != insertion_point;
    }
    while (n) {
        if (n->kind == xml_kind::start_tag) {
            int32_t level = is_heading(n->name);
            if (level && n->first_child) {
                // A skipped heading is passed over whole, navigation
                // comments inside it included; so is one that shows no text;
                // what a build wrote into either goes.
                if (is_skipped(n) || is_blank_heading(n)) {
                    clear_heading(*document, n,
                                  process_numbering ? number_rule::when_marked : number_rule::keep);
                    n = xml_tree::next_after(n);
                } else {
                    n = process_heading(n, level);
                }
                continue;
            }
            if (process_title && n->name == "title") {
                n = process_title_element(n, jump);
                continue;
            }
        } else if (n->kind == xml_kind::directive) {
            handle_navigation(n);
        }
        n = xml_tree::next(n);
    }
}

page_ids& html_toc::ids() {
    if (!ids_) ids_ = std::make_unique<page_ids>(*document);
    return *ids_;
}

xml_node* html_toc::process_heading(xml_node* heading, int32_t level) {
    toc_node* item = new_item(level, has_class(heading, unnumbered_class.view()));
    // The tag is judged as its author wrote it: an older build wrote ids
    // into tags that a browser reads on past their '>'.
    const std::string_view tag = heading->source.substr(0, heading->source.find('>') + 1);
    vtstring authors_tag;
    if (!tag_reads_as_written(tag_without_own_id(tag, authors_tag) ? authors_tag.view() : tag)) {
        link_from_before(heading, item);
        fill_pending();
        return xml_tree::next_after(heading);
    }
    numbering_state state;
    // The number an earlier build put in front goes whole, its blank
    // included, so that rebuilding gives the same page. Without an inserted
    // anchor between them the number and the text share a node, so with
    // ids a number at the front of the text goes whole too.
    // A heading that gets no number keeps its text as it is; only a number
    // that a build wrote apart from the text (the heading shows the build's
    // other marks) goes.
    const bool numbered = process_numbering && !item->numbering().empty();
    if (numbered)
        take_inserted_number(state, heading->first_child, anchor_ids);
    else if (process_numbering && shows_build_marks(heading))
        take_inserted_number(state, heading->first_child, false);

    // The anchor of the first "a" inside that names one, and the text; a
    // link to the heading an earlier build put at its end is made afresh.
    vtstring anchor;
    xml_node* anchor_node = nullptr;
    vtstring text;
    vtstring value;
    for (xml_node* d = heading->first_child; d;) {
        if (is_heading_link(d)) {
            take_out_subtree(d);
            d = next_after_within(d, heading);
            continue;
        }
        if (anchor.empty() && d->kind == xml_kind::start_tag && d->name == "a") {
            if (d->attribute("name", value)) anchor = value;
            if (anchor_ids && anchor.empty() && d->attribute("id", value)) anchor = value;
            if (!anchor.empty()) anchor_node = d;
        } else if (is_text_node(d)) {
            if (numbered) strip_numbering(state, d);
            text.append(d->source);
        }
        d = xml_tree::next_within(d, heading);
    }
    // A generated anchor that an earlier heading of the page holds too (a
    // copied section) gives way to a fresh one.
    const bool copied = anchor_node && is_generated_anchor(anchor_node) &&
                        !generated_names_.insert(anchor.str()).second;
    if (copied) {
        take_out_anchor(anchor_node);
        anchor.clear();
    }
    heading_anchor made = make_anchor(heading, anchor, text);
    if (copied && made.named_anchor) made.name = ids().claim(made.name.view());
    toc->set_text(item, text.view());
    // The link goes into double-quoted attributes: an author's anchor name
    // may hold a double quote.
    vtstring link("#");
    link.append(made.name.view());
    link.replace_all("\"", "&quot;");
    toc->set_link(item, link.view());
    write_anchor(heading, item, made);
    fill_pending();
    return xml_tree::next_after(heading);
}

html_toc::heading_anchor html_toc::make_anchor(const xml_node* heading, vtstring& found,
                                               std::string_view text) {
    heading_anchor made;
    if (anchor_ids ? anchor_from_id(heading, found, text, made) : !found.empty()) {
        if (made.name.empty()) made.name = std::move(found);
        return made;
    }
    used_time_stamp_ = true;
    made.name = "velt_link_";
    made.name.append(std::to_string(item_counter_));
    made.name.append('_');
    made.name.append(std::to_string(time_stamp));
    made.named_anchor = true;
    return made;
}

bool html_toc::anchor_from_id(const xml_node* heading, const vtstring& found, std::string_view text,
                              heading_anchor& made) {
    const std::string_view tag = heading->source.substr(0, heading->source.find('>') + 1);
    vtstring own;
    vtstring written;
    const bool has_id = heading->attribute("id", own);
    const bool is_written = written_id_of(tag, written) && (!has_id || written == own);
    // Attributes the reader cannot split (a quote where a browser reads a
    // name) hide the id a build wrote at the tag's end; a browser reads it.
    if (is_written && !has_id) own = written;
    if (!own.empty()) {
        // The heading's own id comes first. One a build wrote stays only
        // while no other element of the page holds it; else it gets a
        // fresh one.
        if (is_written && !ids().keep_written(own.view(), heading)) {
            made.id_removed = tag_without_own_id(tag, made.tag_without_id);
            made.name = ids().claim(own.view());
            made.id_in_tag = true;
        } else {
            made.name = std::move(own);
        }
        return true;
    }
    if (!found.empty()) return true;
    // An empty id would hide a second one: such a heading gets a named
    // anchor.
    if (has_id) return false;
    made.name = ids().claim(readable_id(text).view());
    made.id_in_tag = true;
    return true;
}

void html_toc::link_from_before(xml_node* heading, toc_node* item) {
    // Its text as it stands: for a browser it may lie in an attribute value.
    vtstring text;
    for (xml_node* d = heading->first_child; d; d = xml_tree::next_within(d, heading))
        if (is_text_node(d)) text.append(d->source);
    toc->set_text(item, text.view());
    const std::string_view tag = heading->source.substr(0, heading->source.find('>') + 1);
    vtstring name;
    vtstring without;
    if (tag_without_own_id(tag, without))
        // An id an older build wrote there goes.
        document->set_source(heading, without.view(), heading->source.substr(tag.size()));
    else if (anchor_ids)
        heading->attribute("id", name);
    if (name.empty() && !anchor_before(heading, name)) {
        used_time_stamp_ = true;
        name = "velt_link_";
        name.append(std::to_string(item_counter_)).append('_').append(std::to_string(time_stamp));
        vtstring anchor("<a name=\"");
        anchor.append(name).append('"').append(named_anchor_attributes).append("></a>");
        document->insert_before(document->make_text(anchor.view()), heading);
    }
    vtstring link("#");
    link.append(name.view());
    link.replace_all("\"", "&quot;");
    toc->set_link(item, link.view());
}

void html_toc::write_anchor(xml_node* heading, const toc_node* item, const heading_anchor& made) {
    // The number and the new anchor's start tag follow the heading's start
    // tag, "</a>" and the heading link precede its end tag. They join those
    // tags' bytes rather than becoming nodes of their own: a page of many
    // short headings would otherwise grow by a few hundred bytes per
    // heading.
    vtstring& inserted = inserted_;
    inserted.clear();
    if (process_numbering) append_number(inserted, item->numbering());
    if (made.named_anchor) {
        inserted.append("<a name=\"").append(made.name).append('"');
        inserted.append(named_anchor_attributes).append('>');
    }
    if (!inserted.empty() || made.id_in_tag || made.id_removed) {
        // Right after the tag's own bytes (which end at its first '>'),
        // before what an earlier pass over the same heading put there.
        const std::string_view tag = heading->source;
        const size_t own = tag.find('>') + 1;
        const std::string_view base =
            made.id_removed ? made.tag_without_id.view() : tag.substr(0, own);
        const vtstring front = made.id_in_tag ? tag_with_own_id(base, made.name) : vtstring(base);
        inserted.append(tag.substr(own));
        document->set_source(heading, front.view(), inserted.view());
    }
    vtstring closing;
    if (made.named_anchor) closing = "</a>";
    if (!heading_links.empty()) closing.append(heading_link(item));
    if (closing.empty()) return;
    xml_node* last = heading->last_child;
    if (last->kind == xml_kind::end_tag && last->closed) {
        const std::string_view fixed = closing == "</a>" ? anchor_end_before(last->source) : "";
        if (!fixed.empty())
            last->source = fixed;
        else
            document->set_source(last, closing.view(), last->source);
    } else {
        document->insert_after(document->make_text(closing.view()), last);
    }
}

vtstring html_toc::heading_link(const toc_node* item) const {
    // The label names the heading by its text, white space folded, for a
    // double-quoted attribute.
    vtstring name;
    bool blank = false;
    for (const char c : item->text()) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
            blank = !name.empty();
            continue;
        }
        if (blank) name.append(' ');
        blank = false;
        if (c == '"')
            name.append("&quot;");
        else
            name.append(c);
    }
    vtstring link("<a href=\"");
    link.append(item->link()).append("\" class=\"").append(heading_link_class);
    link.append("\" aria-label=\"Link to ");
    link.append(name.empty() ? std::string_view("this heading") : name.view());
    link.append("\">").append(heading_links).append("</a>");
    return link;
}

xml_node* html_toc::process_title_element(xml_node* title, bool jump) {
    toc_node* item = new_item(0);
    if (title->first_child && is_text_node(title->first_child))
        toc->set_text(item, title->first_child->source);
    process_title = false;
    return jump ? insertion_point : xml_tree::next(title);
}

void html_toc::handle_navigation(xml_node* comment) {
    // A comment the scan passes twice (before a page title and again from
    // the insertion point) keeps the text of its first pass.
    if (comment->next && comment->next->kind == xml_kind::text &&
        comment->next->source.ends_with(nav_end_text))
        return;
    const nav_comment nav = read_nav_comment(comment);
    switch (nav.kind) {
        case nav_kind::none:
            return;
        case nav_kind::this_item:
            put_nav_text(*document, comment,
                         current_item ? breadcrumb(current_item, nav.link_last, *toc, page).view()
                                      : std::string_view());
            return;
        case nav_kind::parent_item:
            put_nav_text(*document, comment,
                         current_item && current_item->parent
                             ? breadcrumb(current_item->parent, nav.link_last, *toc, page).view()
                             : std::string_view());
            return;
        case nav_kind::next_item:
            pending_next.emplace_back(put_nav_text(*document, comment, {}), nav.link_last);
            return;
        case nav_kind::prev_page:
            put_nav_text(*document, comment, prev_page_link.view());
            return;
        case nav_kind::contents:
            put_nav_text(*document, comment, contents_link.view());
            return;
        case nav_kind::next_page:
            next_page_slots.push_back(put_nav_text(*document, comment, {}));
            return;
    }
}

void html_toc::fill_pending() {
    for (auto& [slot, link_last] : pending_next)
        set_nav_text(*document, slot, breadcrumb(current_item, link_last, *toc, page).view());
    pending_next.clear();
}
