// comment_standing: whether each comment of a document stands in the page's
// text, asked node by node in document order.
//
// As long as the nodes, one after the other, still stand for the bytes the
// reader found its text comments in (text_comments.h), the answer is looked
// up; from the first node that does not on, or when nothing was found,
// every node's bytes go through a markup_context. The answers are the same
// either way.
#pragma once

#include "html/markup_context.h"
#include "html/xml_node.h"

class comment_standing {
  public:
    explicit comment_standing(const xml_tree& tree);

    // Whether n is a comment or directive comment that stands in the text:
    // the bytes before it leave a browser reading text. Every node is
    // passed, in document order.
    bool comment_in_text(const xml_node* n);

  private:
    // Whether the reader noted a comment in the text at start.
    bool noted(const char* start);

    const text_comments* found_ = nullptr;  // none once the nodes part from it
    const char* expected_ = nullptr;        // where the next node's bytes lie
    size_t next_ = 0;                       // of found_->starts, the next to pass
    markup_context context_;
};
