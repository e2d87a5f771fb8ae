#include "toc/breadcrumb.h"

#include <vector>

#include "toc/page_links.h"

namespace {

// An item's link as written into the page `page`. Links of items of earlier
// pages lead from the destination's folder: the part before "#" (which the
// URL encoding never leaves in a path) is the path from there.
vtstring link_from(const toc_node& item, const toc_tree* toc, int32_t page) {
    if (!toc) return item.link();
    vtstring full;
    if (page < 0 || item.page < 0 || item.page == page) return toc->link(item, full);
    const std::string_view link = item.link();
    const size_t hash = link.find('#');
    vtstring result = page_link(toc->pages[static_cast<size_t>(page)],
                                toc->pages[static_cast<size_t>(item.page)]);
    if (hash != std::string_view::npos) result.append(link.substr(hash));
    return result;
}

vtstring crumbs(const toc_node* item, bool link_last, const toc_tree* toc, int32_t page) {
    std::vector<const toc_node*> chain;
    for (const toc_node* n = item; n; n = n->parent) chain.push_back(n);
    vtstring result;
    // From the top level down; the item itself comes last.
    for (size_t i = chain.size(); i-- > 0;) {
        const toc_node& n = *chain[i];
        const bool link = i > 0 || link_last;
        if (link) {
            result.append("<a href=\"");
            result.append(link_from(n, toc, page).view());
            result.append("\">");
        }
        result.append(n.numbering());
        result.append(n.text());
        if (link) result.append("</a>");
        if (i > 0) result.append(" &gt; ");
    }
    return result;
}

}  // namespace

vtstring breadcrumb(const toc_node* item, bool link_last) {
    return crumbs(item, link_last, nullptr, -1);
}

vtstring breadcrumb(const toc_node* item, bool link_last, const toc_tree& toc, int32_t page) {
    return crumbs(item, link_last, &toc, page);
}

bool link_last_value(const vthash& attributes) {
    const vtval* value = attributes.find("link_last");
    return value && value->to_integer() != 0;
}
