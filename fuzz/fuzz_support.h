// Shared by the fuzz targets: a tree's outline for comparisons.
#pragma once

#include <string>

#include "html/xml_node.h"

inline std::string fuzz_outline(const xml_tree& tree) {
    std::string out;
    for (const xml_node* n = tree.first(); n; n = xml_tree::next(n)) {
        out += std::to_string(xml_tree::depth(n)) + ":" + std::string(xml_kind_name(n->kind)) +
               (n->closed ? "c" : "o") + ":";
        out.append(n->name);
        out += "|";
        out.append(n->source);
        out += "|";
        out.append(n->text());
        out += "\n";
    }
    return out;
}
