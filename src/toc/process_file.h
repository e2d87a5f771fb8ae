// One page of a build: read, scan, optionally render a local TOC, write.
#pragma once

#include <string_view>

#include "core/vtstring.h"
#include "toc/build_progress.h"
#include "toc/toc_node.h"

class toc_project;

// Reads source_path, gives its headings anchors and adds its items to toc
// after last (updated to the page's last item; first_new receives the page's
// first item), and writes the page to output_path — with a TOC of the page's
// own items when insert is set. 0 on success, 1 with error set.
int process_file(std::string_view source_path, std::string_view output_path, bool insert,
                 const toc_project& project, toc_tree& toc, toc_node*& last, toc_node*& first_new,
                 vtstring& error, progress_fn progress, void* context);
