#include "toc/page_ids.h"

#include "toc/heading_id.h"

void page_ids::read_page() {
    read_ = true;
    vtstring id;
    vtstring name;
    vtstring written;
    for (const xml_node* n = document_.first(); n; n = xml_tree::next(n)) {
        const bool has_id = n->attribute("id", id);
        const bool has_name = n->attribute("name", name);
        if (has_id) used_.emplace(id.view());
        if (has_name) used_.emplace(name.view());
        if (has_id && !id.empty()) {
            const std::string_view tag = n->source.substr(0, n->source.find('>') + 1);
            if (!written_id_of(tag, written) || written != id) ++authors_[id.str()];
        }
        if (has_name && n->name == "a" && !name.empty() && !(has_id && name == id) &&
            !name.view().starts_with("velt_link_"))
            ++authors_[name.str()];
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

bool page_ids::keep_written(std::string_view id, const xml_node* heading) {
    if (!read_) read_page();
    const std::string key(id);
    if (authors_.contains(key)) return false;
    return kept_.try_emplace(key, heading).first->second == heading;
}
