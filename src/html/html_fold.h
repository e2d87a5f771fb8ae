// html_fold: what the HTML reader may fold while it reads.
//
// A page holds a node for every dozen bytes, and most of them (paragraphs,
// tables, lists and their text) matter to a reader of the page's outline
// only as bytes to write back. Told which nodes matter, the reader folds
// every element that closes holding none of them, with its whole content,
// into one node of kind folded whose source is the element's bytes, and
// joins it with a folded node before it (and the text between): the
// document then holds the nodes that matter, the elements around them and
// little else, and writes back the same bytes. Folding needs the page's
// bytes in one block that the tree owns (vthtml::add_in_place).
#pragma once

#include <cstdint>

struct xml_node;

enum class fold_rule : uint8_t {
    fold,         // may be folded into its parent's or its own folded node
    stand,        // an element that stays a node; its parent may fold
    keep,         // stays a node, and so do the elements around it
    keep_inside,  // as keep, and nothing inside it folds either
};

// The rule for a node just read: a tag (start, empty or end) or any other
// markup; text always folds.
using fold_rules = fold_rule (*)(const xml_node* node);

// The reader's marks on an open element (xml_node::fold).
inline constexpr uint8_t fold_stays = 1;   // the element is not folded
inline constexpr uint8_t fold_holds = 2;   // nor is its parent
inline constexpr uint8_t fold_inside = 4;  // nor anything inside it
