// comment_standing: whether each comment of a document stands in the page's
// text, asked node by node in document order.
//
// While the nodes still stand for exactly the bytes the reader found its
// text comments in (text_comments.h), one after the other, the answer is
// looked up; otherwise, or when nothing was found, every node's bytes go
// through a markup_context. The answers are the same either way.
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
    static bool stands_for(const xml_tree& tree, std::string_view bytes);

    const text_comments* found_ = nullptr;
    size_t next_ = 0;
    markup_context context_;
};
