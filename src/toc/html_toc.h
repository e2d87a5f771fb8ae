// html_toc: the heading scan of one page.
//
// Walks the page from its insertion point (or from the top when page titles
// are wanted), makes a TOC item for every heading within range, gives the
// heading a named anchor (or keeps the author's), renumbers it on request, and
// fills the navigation comments it meets.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "core/vtstring.h"
#include "toc/numbering_state.h"
#include "toc/page_ids.h"
#include "toc/pre_html_toc.h"
#include "toc/toc_node.h"

class html_toc : public pre_html_toc {
  public:
    html_toc() = default;

    // 0 on success (3 would mean no memory; allocation failures throw here).
    int scan_headings();
    // Attaches item under the nearest earlier item of a smaller level and
    // makes it the current item.
    void add_item(toc_node* item);
    // Sets the current item's number from its place in the tree.
    void make_numbering();

    vtstring named_anchor_attributes;
    // Anchors are ids: a heading's own, else the name or id of its first
    // "a" that has one, else a readable id written into its start tag.
    // Named anchors are then inserted only where a heading has an empty id.
    bool anchor_ids = false;
    bool process_title = false;
    toc_tree* toc = nullptr;
    toc_node* current_item = nullptr;
    // Navigation comments waiting for the next heading, with their link_last.
    std::vector<std::pair<xml_node*, bool>> pending_next;
    // Seconds since 1970 used in new anchor names; taken when the scan begins
    // unless set (SOURCE_DATE_EPOCH sets it for reproducible builds).
    int32_t time_stamp = 0;
    // The index in toc's pages of the page scanned; -1 when it has none.
    int32_t page = -1;

  private:
    // What a heading is linked by, and what the scan must write for it.
    struct heading_anchor {
        vtstring name;
        bool named_anchor = false;  // an "a" element is inserted around the content
        bool id_in_tag = false;     // the id goes into the heading's start tag
    };

    xml_node* process_heading(xml_node* heading, int32_t level);
    xml_node* process_title_element(xml_node* title, bool jump);
    heading_anchor make_anchor(const xml_node* heading, vtstring& found, std::string_view text);
    void write_anchor(xml_node* heading, const toc_node* item, const heading_anchor& made);
    void handle_navigation(xml_node* comment);
    void fill_pending();
    toc_node* new_item(int32_t level);

    int32_t item_counter_ = 0;
    std::vector<int32_t> number_parts_;  // make_numbering's, kept for its storage
    vtstring inserted_;                  // write_anchor's, kept for its storage
    std::unique_ptr<page_ids> ids_;      // the page's ids, once a new one is wanted
};

// The anchor time stamp of a scan: SOURCE_DATE_EPOCH when it holds a number,
// else the current time in seconds since 1970.
int32_t toc_time_stamp();
