// page_ids: the ids and anchor names a page already uses, so that a new id
// is one no link of the page can mean already, and an id a build wrote is
// kept only while it is the page's alone.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "core/vtstring.h"
#include "html/xml_node.h"

class page_ids {
  public:
    // Reads document's ids and names when first asked: a page whose
    // headings all have their anchors needs no such pass.
    explicit page_ids(const xml_tree& document) : document_(document) {}

    // wanted, or wanted + "-2", "-3", ... : the first that neither an id nor
    // a name of the page nor an earlier result holds; it is taken from then.
    vtstring claim(std::string_view wanted);

    // Whether id, which a build wrote into heading, may stay there: no
    // element holds it but headings with the same written id, and no
    // earlier call kept it for another heading (the first of two copies
    // keeps it). True takes it for heading.
    bool keep_written(std::string_view id, const xml_node* heading);

  private:
    void read_page();

    const xml_tree& document_;
    bool read_ = false;
    std::unordered_set<std::string> used_;
    // How many elements hold each id (or "a" name) that no build wrote.
    std::unordered_map<std::string, int> authors_;
    std::unordered_map<std::string, const xml_node*> kept_;
    // The suffix to try next for each wanted id: many headings of one text
    // (or none) must not make claiming quadratic.
    std::unordered_map<std::string, int> next_suffix_;
};
