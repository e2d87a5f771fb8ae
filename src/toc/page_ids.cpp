#include "toc/page_ids.h"

void page_ids::read_page() {
    read_ = true;
    vtstring value;
    for (const xml_node* n = document_.first(); n; n = xml_tree::next(n))
        for (const std::string_view attribute : {"id", "name"})
            if (n->attribute(attribute, value)) used_.emplace(value.view());
}

vtstring page_ids::claim(std::string_view wanted) {
    if (!read_) read_page();
    vtstring id(wanted);
    if (used_.contains(id.str())) {
        int& suffix = next_suffix_.try_emplace(std::string(wanted), 2).first->second;
        do {
            id = wanted;
            id.append('-');
            id.append(std::to_string(suffix++));
        } while (used_.contains(id.str()));
    }
    used_.emplace(id.view());
    return id;
}
