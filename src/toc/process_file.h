// One page of a build: read, scan, optionally render a local TOC, write.
#pragma once

#include <string_view>

#include "core/vtstring.h"
#include "toc/build_progress.h"
#include "toc/render_toc.h"
#include "toc/toc_node.h"
#include "toc/toc_writer.h"

class toc_project;

// Reads source_path, gives its headings anchors and adds its items to toc
// after last (updated to the page's last item; first_new receives the page's
// first item), and writes the page to output_path — with a TOC of the page's
// own items when insert is set. 0 on success, 1 with error set.
int process_file(std::string_view source_path, std::string_view output_path, bool insert,
                 const toc_project& project, toc_tree& toc, toc_node*& last, toc_node*& first_new,
                 vtstring& error, progress_fn progress, void* context);

// Replaces path with document, the TOC of toc from start taking the old one's
// place. The template is opened here unless renderer already holds it (a
// caller that must know of a missing template before anything else opens it
// first). 0, or 1 with error naming the template or path; path is then
// untouched.
int write_page_with_toc(std::string_view path, const xml_tree& document,
                        const toc_placement& placement, toc_renderer& renderer,
                        std::string_view template_path, const toc_tree& toc, const toc_node* start,
                        vtstring& error);
