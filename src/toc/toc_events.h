// toc_events: the events a TOC template runs over, and its eight variables.
//
// An event is an item opening, or an item with sub-items closing, in
// document order from the start item to the end of the tree, or to an end
// item: the tree is then taken as if it ended before that item. Templates read
// the variables by event number, nearly always in order, so the events are
// walked as they are asked for rather than listed: a TOC of half a million
// items would otherwise hold tens of megabytes of events and, as stored
// values, a few hundred megabytes of variables.
#pragma once

#include <cstdint>
#include <deque>

#include "template/vti.h"
#include "toc/toc_node.h"

struct toc_event {
    const toc_node* item;  // null for a closing event
    int32_t level;         // depth in the tree of the item opened or closed
};

class toc_events {
  public:
    // From start_item up to end_item (not included; null: the tree's end).
    explicit toc_events(const toc_node* start_item, const toc_node* end_item = nullptr);

    int32_t count() const { return count_; }
    // Whether item has sub-items before the end item.
    bool has_children(const toc_node* item) const {
        return item->first_child && item->first_child != end_;
    }
    // Event index (0 <= index < count). The first event, the last one read
    // and the one after it take constant time; others walk from the start.
    const toc_event& at(int32_t index);

  private:
    void restart();
    // Makes the next event current.
    void step();
    // Goes on after n's subtree: up while n is a last child, else to its
    // next sibling. Once the end item comes next, only up: it and all after
    // it in document order are left out, as if the tree ended there.
    void leave(const toc_node* n);

    const toc_node* start_;
    const toc_node* end_;
    int32_t count_ = 0;
    toc_event first_{};
    toc_event current_{};
    int32_t index_ = -1;
    const toc_node* next_ = nullptr;   // the item to open next
    const toc_node* climb_ = nullptr;  // climbing from here, closing parents
    int32_t depth_ = 0;
    // The end item is next: the rest only closes the open parents.
    bool ended_ = false;
};

// The variables "item", "text", "link", "open", "numbering", "level",
// "indentation" and "children" over the events from start_item on.
class toc_variables {
  public:
    toc_variables(const toc_tree& toc, const toc_node* start_item,
                  const toc_node* end_item = nullptr);
    ~toc_variables();
    toc_variables(const toc_variables&) = delete;
    toc_variables& operator=(const toc_variables&) = delete;

    const vti_variables& variables() const { return variables_; }

  private:
    class field;

    toc_events events_;
    std::deque<field> fields_;
    vti_variables variables_;
};
