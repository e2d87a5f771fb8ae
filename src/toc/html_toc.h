// html_toc: the heading scan of one page.
//
// Walks the page from its insertion point (or from the top when page titles
// are wanted), makes a TOC item for every heading within range, gives the
// heading a named anchor (or keeps the author's), renumbers it on request,
// and writes the text of the navigation comments it meets (nav_text.h).
// What earlier builds wrote after navigation comments, and into headings
// that are now skipped, is taken out first.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/vtstring.h"
#include "toc/nav_text.h"
#include "toc/numbering_state.h"
#include "toc/page_ids.h"
#include "toc/pre_html_toc.h"
#include "toc/toc_node.h"

class html_toc : public pre_html_toc {
  public:
    html_toc() = default;

    // Finds the headings, numbers them and gives them anchors (running out
    // of memory throws).
    void scan_headings();
    // The part of scan_headings that needs nothing but the page and the
    // settings (the old navigation text out, the placement found), done
    // ahead, on any thread; the next scan_headings then skips it.
    void prepare();
    // Attaches item under the nearest earlier item of a smaller level and
    // makes it the current item.
    void add_item(toc_node* item);
    // Sets the current item's number: the number of the nearest numbered
    // item above it, then its place among the numbered items counted there
    // (the top level counts from numbering_start). Empty for an item outside
    // the numbering levels or in an unnumbered branch.
    void make_numbering();
    // Adds an item as the scan of a page would have made it: same place,
    // same number, with text and link as the scan gave them.
    toc_node* replay_item(int32_t level, bool unnumbered, std::string_view text,
                          std::string_view link);
    // True when the last scan wrote an anchor name made of time_stamp: its
    // result is the scan's time's alone.
    bool used_time_stamp() const { return used_time_stamp_; }

    vtstring named_anchor_attributes;
    // Anchors are ids: a heading's own, else the name or id of its first
    // "a" that has one, else a readable id written into its start tag.
    // Named anchors are then inserted only where a heading has an empty id.
    // A heading whose start tag a browser reads past its first '>' gets
    // none of this, in either way: it is linked by an anchor before it.
    bool anchor_ids = false;
    // The text of the link to itself that every heading gets at its end
    // (HTML, written as it is); empty: none.
    vtstring heading_links;
    // The first number of the top level.
    int32_t numbering_start = 1;
    // The class of the span that holds a heading's number ("1.2." in
    // <span class="...">, then the blank), HTML-escaped; empty: the number
    // is plain text.
    vtstring number_class;
    bool process_title = false;
    toc_tree* toc = nullptr;
    toc_node* current_item = nullptr;
    // Navigation comments waiting for the next heading: the node that holds
    // their text, and their link_last.
    std::vector<std::pair<xml_node*, bool>> pending_next;
    // Seconds since 1970 used in new anchor names; taken when the scan begins
    // unless set (SOURCE_DATE_EPOCH sets it for reproducible builds).
    int32_t time_stamp = 0;
    // The index in toc's pages of the page scanned; -1 when it has none.
    int32_t page = -1;
    // The links written for the page navigation comments (page_nav.h):
    // previous page and contents, known before the scan. Empty: nothing.
    vtstring prev_page_link;
    vtstring contents_link;
    // The nodes that hold the text of next-page comments, for the caller
    // to fill once the next page is known (set_nav_text).
    std::vector<xml_node*> next_page_slots;

  private:
    // What a heading is linked by, and what the scan must write for it.
    struct heading_anchor {
        vtstring name;
        bool named_anchor = false;  // an "a" element is inserted around the content
        bool id_in_tag = false;     // the id goes into the heading's start tag
        // The start tag's own bytes without an id a build wrote, when that
        // id gives way: to a fresh one, or to a named anchor.
        vtstring tag_without_id;
        bool id_removed = false;
    };

    xml_node* process_heading(xml_node* heading, int32_t level);
    xml_node* process_title_element(xml_node* title, bool jump);
    heading_anchor make_anchor(const xml_node* heading, vtstring& found, std::string_view text);
    // The anchor of a heading linked by ids, with found the name or id of
    // its first "a" that has one: false when it needs a named anchor.
    bool anchor_from_id(const xml_node* heading, const vtstring& found, std::string_view text,
                        heading_anchor& made);
    void write_anchor(xml_node* heading, const toc_node* item, const heading_anchor& made);
    // Links a heading whose start tag a browser reads past its first '>'
    // (a stray quote) by a named anchor right before it: nothing is written
    // into it, as the browser would read it as part of the tag.
    void link_from_before(xml_node* heading, toc_node* item);
    vtstring heading_link(const toc_node* item) const;
    void handle_navigation(xml_node* comment);
    void fill_pending();
    // A new item, made the current one; unnumbered puts it (and the items
    // below it) in an unnumbered branch.
    toc_node* new_item(int32_t level, bool unnumbered = false);
    // Writes the current item's number into inserted, as the page shows it.
    void append_number(vtstring& inserted, std::string_view numbering) const;
    page_ids& ids();

    bool prepared_ = false;
    bool used_time_stamp_ = false;
    int32_t item_counter_ = 0;
    vtstring inserted_;              // write_anchor's, kept for its storage
    std::unique_ptr<page_ids> ids_;  // the page's ids, once one is asked about
    // The names of the generated anchors of the headings scanned so far.
    std::unordered_set<std::string> generated_names_;
};

// The anchor time stamp of a scan: SOURCE_DATE_EPOCH when it holds a number,
// else the current time in seconds since 1970.
int32_t toc_time_stamp();
