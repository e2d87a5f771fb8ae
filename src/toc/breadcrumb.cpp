#include "toc/breadcrumb.h"

#include <vector>

vtstring breadcrumb(const toc_node* item, bool link_last) {
    std::vector<const toc_node*> chain;
    for (const toc_node* n = item; n; n = n->parent) chain.push_back(n);
    vtstring result;
    // From the top level down; the item itself comes last.
    for (size_t i = chain.size(); i-- > 0;) {
        const toc_node& n = *chain[i];
        const bool link = i > 0 || link_last;
        if (link) {
            result.append("<a href=\"");
            result.append(n.link.view());
            result.append("\">");
        }
        result.append(n.numbering.view());
        result.append(n.text.view());
        if (link) result.append("</a>");
        if (i > 0) result.append(" &gt; ");
    }
    return result;
}

bool link_last_value(const vthash& attributes) {
    const vtval* value = attributes.find("link_last");
    return value && value->to_integer() != 0;
}
