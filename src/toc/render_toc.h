// render_toc: the HTML text of a table of contents, from a template.
#pragma once

#include <string_view>

#include "core/vtarr.h"
#include "toc/toc_node.h"

// Result when the template file cannot be opened or read.
constexpr int RENDER_TOC_NO_TEMPLATE = 800;

// Appends to output, as strings to be written one after another: the start
// marker, the explanatory comment, the template's output over the events
// from start_item to the end of the tree, and the end marker. Without a
// start_item the template is not run (only markers and comment). Returns 0,
// or RENDER_TOC_NO_TEMPLATE with output unchanged.
int render_toc(const toc_tree& toc, vtarr& output, const toc_node* start_item,
               std::string_view template_path);
