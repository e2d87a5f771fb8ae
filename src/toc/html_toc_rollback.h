// html_toc_rollback: takes what builds inserted out of one page.
//
// Removes the first generated anchor of every heading within range (an "a"
// start tag whose name begins with "velt_link_", with its "</a>" when that is
// the anchor's last child) and the id a build wrote into the heading's start
// tag, strips old numbers when numbering is on, and notes
// the TOC markers so the old TOC can be left out when the page is written.
// Anchors and ids the author wrote, and headings of the skipped class, are
// never touched.
#pragma once

#include "toc/pre_html_toc.h"

class html_toc_rollback : public pre_html_toc {
  public:
    // Cleans document in place; 0 on success.
    int clear_document();

    bool remove_anchors = false;

  private:
    void clear_heading(xml_node* heading);
};
