#include "toc/page_link_scan.h"

#include "html/html_references.h"
#include "html/markup_context.h"

namespace {

bool is_link_element(std::string_view name) {
    return name == "a" || name == "area" || name == "link";
}

std::string decoded(const vtstring& written) {
    vtstring out;
    append_html_decoded(written.view(), out);
    return out.str();
}

}  // namespace

page_link_scan scan_page_links(const xml_tree& document) {
    page_link_scan scan;
    // An id held three times is one problem.
    std::unordered_set<std::string> reported;
    const auto held = [&](const std::string& target, const vtstring& written) {
        if (!scan.targets.insert(target).second && reported.insert(target).second)
            scan.items.push_back({true, written.str(), target});
    };
    markup_context context;
    bool base_seen = false;
    vtstring value;
    for (const xml_node* n = document.first(); n; n = xml_tree::next(n)) {
        const bool own_tag = context.in_text();
        context.read(n->source);
        if (!own_tag || (n->kind != xml_kind::start_tag && n->kind != xml_kind::empty_tag))
            continue;
        // What this element can be reached by: its id, and an "a" its name.
        std::string id;
        if (n->attribute("id", value) && !value.empty()) {
            id = decoded(value);
            held(id, value);
        }
        if (n->name == "a" && n->attribute("name", value) && !value.empty()) {
            const std::string name = decoded(value);
            if (name != id) held(name, value);
        }
        if (is_link_element(n->name) && n->attribute("href", value))
            scan.items.push_back({false, value.str(), decoded(value)});
        else if (n->name == "base" && !base_seen && n->attribute("href", value)) {
            base_seen = true;
            scan.base = decoded(value);
        }
    }
    return scan;
}
