// The heading scan and write-out over any page, numbering off: the written
// page minus the anchors the scan inserted and the navigation text it wrote
// is the input, byte for byte, but for navigation text of earlier builds;
// what the scan adds is an anchor start tag after a heading's start tag and
// "</a>" before its end (or after its last node), and text closed by the
// end comment after a navigation comment; with ids, a heading's start tag
// may instead carry an id that clearing takes out again (or lose one that a
// build wrote), made of bytes that need no escaping; the page keeps at most
// one TOC after the write-out.
//
// The first byte picks the heading range, page titles, anchor attributes and
// ids.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "fuzz_toc_write.h"
#include "html/vthtml.h"
#include "toc/heading_id.h"
#include "toc/html_toc.h"
#include "toc/nav_text.h"
#include "toc/toc_writer.h"

namespace {

struct before {
    xml_kind kind;
    std::string source;
};

bool read(std::string_view text, xml_tree& tree) {
    vthtml reader(tree);
    reader.add(text);
    if (reader.run() != 0) return false;
    reader.set_input_complete();
    return reader.run() == 2;
}

bool starts_with(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

size_t count(std::string_view text, std::string_view what) {
    size_t n = 0;
    for (size_t at = 0; (at = text.find(what, at)) != std::string_view::npos; at += what.size())
        ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 500000) return 0;
    const uint8_t options = data[0];
    const std::string_view page(reinterpret_cast<const char*>(data) + 1, size - 1);
    xml_tree document;
    document.add_leading_empty_node();
    if (!read(page, document)) return 0;

    std::unordered_map<const xml_node*, before> original;
    // Navigation text of earlier builds, and its end comment: a build may
    // take them out.
    std::unordered_set<const xml_node*> earlier_text;
    for (const xml_node* n = document.first(); n; n = xml_tree::next(n)) {
        original[n] = {n->kind, std::string(n->source)};
        if (read_nav_comment(n).kind == nav_kind::none) continue;
        if (const xml_node* end = nav_text_end(n))
            for (const xml_node* s = n->next; s; s = s == end ? nullptr : s->next.get())
                for (const xml_node* d = s; d;
                     d = d == s ? s->first_child : xml_tree::next_within(d, s))
                    earlier_text.insert(d);
    }

    toc_tree toc;
    html_toc scan;
    scan.document = &document;
    scan.toc = &toc;
    scan.range_from = 1 + (options & 3);
    scan.range_to = scan.range_from + ((options >> 2) & 7);
    scan.process_title = options & 0x20;
    scan.time_stamp = 1000000000;
    const std::string attributes = options & 0x40 ? " class=\"toc\"" : "";
    scan.named_anchor_attributes = attributes;
    scan.anchor_ids = options & 0x80;
    scan.scan_headings();

    const std::string anchor_start = "<a name=\"velt_link_";
    // Anchor start tags, one or more (a heading before the page title is
    // passed twice when the scan goes back to the insertion point).
    auto anchor_starts = [&](std::string_view s) {
        size_t found = 0;
        for (size_t end; !s.empty(); s.remove_prefix(end + 1), ++found) {
            end = s.find('>');
            const std::string_view tag = s.substr(0, end + 1);
            if (end == std::string_view::npos || !starts_with(tag, anchor_start) ||
                tag.size() < attributes.size() + 2 ||
                tag.substr(tag.size() - attributes.size() - 2) != "\"" + attributes + ">")
                return size_t{0};
        }
        return found;
    };
    std::string rest;
    size_t inserted_starts = 0;
    for (const xml_node* n = document.first(); n; n = xml_tree::next(n)) {
        auto found = original.find(n);
        if (found == original.end()) {
            // "</a>" after the last node of a heading without an end tag, or
            // navigation text after a navigation comment.
            const bool anchor_end = n->kind == xml_kind::text && n->source == "</a>";
            // An empty anchor before a heading whose tag takes none.
            const bool anchor_before =
                n->kind == xml_kind::text && n->source.ends_with("></a>") &&
                anchor_starts(n->source.substr(0, n->source.size() - 4)) == 1;
            const bool nav_text = n->kind == xml_kind::text && n->prev &&
                                  read_nav_comment(n->prev).kind != nav_kind::none &&
                                  n->source.ends_with(nav_end_text);
            if (!anchor_end && !nav_text && !anchor_before) std::abort();
            inserted_starts += anchor_before;
            continue;
        }
        const std::string_view before = found->second.source;
        const std::string_view now = n->source;
        rest += before;
        if (now == before) continue;
        if (now.empty() && earlier_text.contains(n)) continue;
        // A copy of a generated anchor that an earlier heading holds gives
        // way: its start tag and the end tag closing it are taken out.
        const auto generated = [&](const xml_node* a) {
            return a && original[a].source.find("velt_link_") != std::string::npos;
        };
        if (now.empty() && ((n->kind == xml_kind::start_tag && generated(n)) ||
                            (n->kind == xml_kind::end_tag && generated(n->parent))))
            continue;
        // A heading's start tag is followed by its new anchor (after an id a
        // build wrote is taken out: it gave way, or the tag takes none), its
        // end tag preceded by "</a>".
        vtstring without_written;
        const bool had_written =
            n->kind == xml_kind::start_tag &&
            tag_without_own_id(before.substr(0, before.find('>') + 1), without_written);
        bool tag_ok = false;
        for (const std::string_view base :
             {before, had_written ? without_written.view() : before}) {
            if (n->kind == xml_kind::start_tag && starts_with(now, base)) {
                const size_t starts = anchor_starts(now.substr(base.size()));
                inserted_starts += starts;
                if (starts) tag_ok = true;
            }
            vtstring without_id;
            if (!tag_ok && scan.anchor_ids && n->kind == xml_kind::start_tag &&
                tag_without_own_id(now, without_id) && without_id == base) {
                const size_t id = now.find(" id=\"", base.size() - 2) + 5;
                for (char c : now.substr(id, now.find('"', id) - id))
                    if (c == '"' || c == '&' || c == '<' || c == '>' ||
                        static_cast<unsigned char>(c) <= ' ')
                        std::abort();
                tag_ok = true;
            }
            if (tag_ok) break;
        }
        if (had_written && now == without_written.view()) tag_ok = true;
        if (tag_ok) continue;
        if (n->kind == xml_kind::end_tag && now.ends_with(before)) {
            std::string_view ends = now.substr(0, now.size() - before.size());
            while (starts_with(ends, "</a>")) ends.remove_prefix(4);
            if (ends.empty()) continue;
        }
        std::abort();
    }
    if (rest != page) std::abort();

    size_t own_anchors = 0;
    for (const toc_node* item = toc.first(); item; item = toc_tree::next(item))
        if (starts_with(item->link(), "#velt_link_")) ++own_anchors;
    if (inserted_starts > own_anchors) std::abort();

    // Write-out with a stand-in TOC: the marker pair appears once at most.
    const std::string out = fuzz_written_with_stand_in_toc(document, scan);
    const bool placed = scan.insertion_point != nullptr;
    if (count(page, toc_start_text) == 0 && count(out, toc_start_text) != (placed ? 1u : 0u))
        std::abort();
    return 0;
}
