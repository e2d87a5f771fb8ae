// Helpers for engine tests: pages parsed from strings, scanned, written back.
#pragma once

#include <string>
#include <string_view>

#include "support/temp_folder.h"

#include "html/vthtml.h"
#include "html/xml_node.h"

// Parses html as the build does: an empty node first, then the page.
inline void parse_page(std::string_view html, xml_tree& tree) {
    temp_folder dir;
    std::string p = dir.write("page.html", html);
    tree.add_leading_empty_node();
    vtstring error;
    read_html_file(p, tree, error, nullptr, nullptr);
}

inline std::string written(const xml_tree& tree) {
    vtstring out;
    write_tree(tree, out);
    return out.str();
}
