// Runs a reader over a text in a chosen chunking and describes the outcome,
// so that every test can check that whole input, production chunks and one
// byte at a time give the same tree, result and position.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "html/xml_node.h"

struct reader_outcome {
    int result = 0;
    int line = 0;
    int column = 0;
    std::string tree;  // one line per node: depth, kind, name, open, source
    std::string written;
};

// chunk 0 means the whole text in one chunk.
reader_outcome run_html(std::string_view text, size_t chunk);
reader_outcome run_tagged(std::string_view text, size_t chunk);

// The outline of a tree, one line per node: two blanks per level of depth,
// the kind's name, the element name in brackets, " open" for a node not
// closed, a blank and the source ("start_tag[li] open <li>").
std::string describe(const xml_tree& tree);

// Reads text from memory the tree owns, cut into tokens on a second thread
// (html_chunks::read_split) in chunks of 16,384 bytes; the percentages it
// reports go to progress when given. result: read_split's.
reader_outcome run_html_split(std::string_view text, std::vector<int>* progress = nullptr);

// Runs whole, in production chunks and byte by byte, and a page the reader
// reads whole also split (run_html_split); fails the test when they
// disagree, and returns the whole-input outcome.
reader_outcome html_all_ways(std::string_view text);
reader_outcome tagged_all_ways(std::string_view text);
