// toc_fold_rule: what of a page the TOC engine reads, for the HTML reader's
// folding (html/html_fold.h).
//
// The engine reads headings and the page title with all they hold; comments
// (placeholders, markers, navigation comments); the body element; every id
// and every "a" name (the page's ids); and tags that name this tool (marks of
// a build). An "a" element in the text after a navigation comment (text and
// such links) stays a node, though its parent may fold. Everything else the engine
// only writes back, so it may fold. Whatever reads a document read this way
// must need no more than this: a folded node reads as one piece of markup
// that is no text, no element and no comment.
#pragma once

#include "html/html_fold.h"

fold_rule toc_fold_rule(const xml_node* node);
