// Deterministic generator of realistic documentation pages and sites, for
// benchmarks (and as seed material for fuzzing).
//
// A page has a head (title, meta, stylesheet link, inline style), navigation
// comments, nested divs, headings h1-h6 (some with author anchors), paragraphs
// with inline tags and entities, lists, tables, pre/code blocks and comments.
// The same seed and size always give the same bytes on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// One page of about target_size bytes (never less, at most one block more).
std::string generate_page(uint64_t seed, size_t target_size, int page_number = 0,
                          int page_count = 1);

// "index.html" for page 0, else "page001.html" and so on.
std::string site_page_name(int number);

// Writes pages "index.html" and "page001.html"... into folder, which must
// exist, linked to each other. False when a file cannot be written.
bool generate_site(const std::string& folder, int page_count, size_t page_size, uint64_t seed);
