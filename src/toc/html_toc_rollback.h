// html_toc_rollback: takes what builds inserted out of one page.
//
// Only a page that shows a build's mark is touched: an old TOC between its
// markers, a generated anchor, an id a build wrote, a heading link, a number
// span or the text a build wrote after a navigation comment. A page without one is left
// byte for byte. In a marked page, every heading within range loses what a
// build wrote into it (heading_marks.h), the number at its front too when
// numbering is on and it stands there as a build writes it; navigation
// comments lose their text and keep their own bytes; and the TOC markers
// are noted so the old TOC can be left out when the page is written.
// Anchors and ids the author wrote are never touched, nor are headings of
// the skipped class unless a build's mark shows in them.
#pragma once

#include "toc/pre_html_toc.h"

class html_toc_rollback : public pre_html_toc {
  public:
    // Cleans document in place.
    void clear_document();

    bool remove_anchors = false;
};
