#include "toc/html_toc.h"

#include <charconv>
#include <cstdlib>
#include <ctime>

#include "html/parse_tag.h"
#include "toc/breadcrumb.h"
#include "toc/heading_id.h"
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

}  // namespace

toc_node* html_toc::new_item(int32_t level) {
    ++item_counter_;
    toc_node* item = toc->make();
    item->heading_level = level;
    item->page = page;
    add_item(item);
    if (process_numbering) make_numbering();
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
    // Each level's place among its siblings, from the item up; written from
    // the top down as "1.4.2. ".
    number_parts_.clear();
    for (toc_node* x = current_item; x; x = x->parent)
        number_parts_.push_back(x->parent ? x->parent->child_count : toc->top_count());
    vtstring number;
    number.reserve(static_cast<int32_t>(number_parts_.size()) * 12 + 1);
    char digits[16];
    for (auto it = number_parts_.rbegin(); it != number_parts_.rend(); ++it) {
        const auto end = std::to_chars(digits, digits + sizeof digits, *it).ptr;
        number.append(std::string_view(digits, static_cast<size_t>(end - digits)));
        number.append('.');
    }
    number.append(' ');
    current_item->numbering = number.view();
}

int html_toc::scan_headings() {
    scan_placement();
    if (!time_stamp) time_stamp = toc_time_stamp();
    item_counter_ = 0;
    ids_.reset();
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
                // comments inside it included.
                n = is_skipped(n) ? xml_tree::next_after(n) : process_heading(n, level);
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
    return 0;
}

xml_node* html_toc::process_heading(xml_node* heading, int32_t level) {
    toc_node* item = new_item(level);
    numbering_state state;
    // The number an earlier build put in front goes whole, its blank
    // included, so that rebuilding gives the same page; other old numbers
    // keep the blank that follows them. Without an inserted anchor between
    // them the number and the text share a node, so with ids a number at
    // the front of the text goes whole too.
    if (process_numbering) take_inserted_number(state, heading->first_child, anchor_ids);

    // The anchor of the first "a" inside that names one, and the text.
    vtstring anchor;
    vtstring text;
    vtstring value;
    for (xml_node* d = heading->first_child; d; d = xml_tree::next_within(d, heading)) {
        if (anchor.empty() && d->kind == xml_kind::start_tag && d->name == "a") {
            if (d->attribute("name", value)) anchor = value;
            if (anchor_ids && anchor.empty() && d->attribute("id", value)) anchor = value;
        } else if (is_text_node(d)) {
            if (process_numbering) strip_numbering(state, d, *document);
            text.append(d->source);
        }
    }
    const heading_anchor made = make_anchor(heading, anchor, text);
    write_anchor(heading, item, made);

    item->text = std::move(text);
    // The link goes into double-quoted attributes: an author's anchor name
    // may hold a double quote.
    vtstring link("#");
    link.append(made.name.view());
    link.replace_all("\"", "&quot;");
    item->link = link.view();
    fill_pending();
    return xml_tree::next_after(heading);
}

html_toc::heading_anchor html_toc::make_anchor(const xml_node* heading, vtstring& found,
                                               std::string_view text) {
    heading_anchor made;
    if (anchor_ids) {
        // The heading's own id comes first; a heading without one gets a
        // readable id in its start tag, unless it has an empty one (a
        // second id would not count).
        vtstring own;
        const bool has_id = heading->attribute("id", own);
        if (!own.empty()) {
            made.name = std::move(own);
            return made;
        }
        if (!found.empty()) {
            made.name = std::move(found);
            return made;
        }
        if (!has_id) {
            // A start tag whose attributes do not parse (a stray quote)
            // hides the id an earlier build or pass wrote at its end.
            const std::string_view tag = heading->source;
            if (written_id_of(tag.substr(0, tag.find('>') + 1), own)) {
                made.name = std::move(own);
                return made;
            }
            if (!ids_) ids_ = std::make_unique<page_ids>(*document);
            made.name = ids_->claim(readable_id(text).view());
            made.id_in_tag = true;
            return made;
        }
    } else if (!found.empty()) {
        made.name = std::move(found);
        return made;
    }
    made.name = "velt_link_";
    made.name.append(std::to_string(item_counter_));
    made.name.append('_');
    made.name.append(std::to_string(time_stamp));
    made.named_anchor = true;
    return made;
}

void html_toc::write_anchor(xml_node* heading, const toc_node* item, const heading_anchor& made) {
    // The number and the new anchor's start tag follow the heading's start
    // tag, "</a>" precedes its end tag. They join those tags' bytes rather
    // than becoming nodes of their own: a page of many short headings would
    // otherwise grow by a few hundred bytes per heading.
    vtstring& inserted = inserted_;
    inserted.clear();
    if (process_numbering) inserted.append(item->numbering.view());
    if (made.named_anchor) {
        inserted.append("<a name=\"").append(made.name).append('"');
        inserted.append(named_anchor_attributes).append('>');
    }
    if (!inserted.empty() || made.id_in_tag) {
        // Right after the tag's own bytes (which end at its first '>'),
        // before what an earlier pass over the same heading put there.
        const std::string_view tag = heading->source;
        const size_t own = tag.find('>') + 1;
        const vtstring front = made.id_in_tag ? tag_with_own_id(tag.substr(0, own), made.name)
                                              : vtstring(tag.substr(0, own));
        inserted.append(tag.substr(own));
        document->set_source(heading, front.view(), inserted.view());
    }
    if (made.named_anchor) {
        xml_node* last = heading->last_child;
        if (last->kind == xml_kind::end_tag && last->closed) {
            const std::string_view fixed = anchor_end_before(last->source);
            if (!fixed.empty())
                last->source = fixed;
            else
                document->set_source(last, "</a>", last->source);
        } else
            document->insert_after(document->make_text("</a>"), last);
    }
}

xml_node* html_toc::process_title_element(xml_node* title, bool jump) {
    toc_node* item = new_item(0);
    if (title->first_child && is_text_node(title->first_child))
        item->text = title->first_child->source;
    process_title = false;
    return jump ? insertion_point : xml_tree::next(title);
}

void html_toc::handle_navigation(xml_node* comment) {
    std::string_view src = comment->source;
    std::string_view inside = src.size() >= 8 ? src.substr(5, src.size() - 8) : std::string_view();
    vtstring name;
    vthash attrs;
    parse_tag(inside, name, &attrs, tag_flags::lower_case);
    if (name == "velt_toc_nav_this") {
        vtstring crumb = current_item ? breadcrumb(current_item, link_last_value(attrs), *toc, page)
                                      : vtstring();
        document->set_source(comment, crumb.view());
        comment->kind = xml_kind::text;
    } else if (name == "velt_toc_nav_next") {
        comment->source = {};
        pending_next.emplace_back(comment, link_last_value(attrs));
    } else if (name == "velt_toc_nav_parent") {
        vtstring crumb;
        if (current_item && current_item->parent)
            crumb = breadcrumb(current_item->parent, link_last_value(attrs), *toc, page);
        document->set_source(comment, crumb.view());
        comment->kind = xml_kind::text;
    }
}

void html_toc::fill_pending() {
    for (auto& [node, link_last] : pending_next) {
        vtstring crumb = breadcrumb(current_item, link_last, *toc, page);
        document->set_source(node, crumb.view());
        node->kind = xml_kind::text;
    }
    pending_next.clear();
}
