#include "toc/page_ids.h"

#include "html/parse_tag.h"

void page_ids::read_page() {
    read_ = true;
    vtstring value;
    for (const xml_node* n = document_.first(); n; n = xml_tree::next(n)) {
        if (n->kind != xml_kind::start_tag && n->kind != xml_kind::empty_tag) continue;
        // A heading already scanned holds what the scan added after its own
        // tag, which ends at its first '>'.
        const std::string_view tag = n->source.substr(0, n->source.find('>') + 1);
        if (tag.size() < 2) continue;
        const std::string_view inside = tag.substr(1, tag.size() - 2);
        for (const std::string_view attribute : {"id", "name"})
            if (parse_tag_attribute(inside, attribute, value, tag_flags::lower_case))
                used_.emplace(value.view());
    }
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
