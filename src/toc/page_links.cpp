#include "toc/page_links.h"

#include "core/vttext.h"
#include "files/vtfile.h"
#include "files/vtfile_path.h"

vtstring page_link(std::string_view from, std::string_view to) {
    // Compared with letter case: on Linux "Docs" and "docs" are two folders.
    const vtstring relative = vtfile_relative_path(from, to, false);
    return vt_url_encode_path(relative.view());
}

vtstring page_nav_link(std::string_view from, std::string_view to, std::string_view text,
                       std::string_view rel) {
    if (from == to) return {};
    vtstring link("<a href=\"");
    link.append(page_link(from, to).view());
    link.append("\" rel=\"").append(rel).append("\">").append(text).append("</a>");
    return link;
}

vtstring page_nav_name(const toc_node* first_item, std::string_view path) {
    vtstring name;
    if (first_item) {
        name.append(first_item->numbering());
        name.append(first_item->text());
        return name;
    }
    for (const char c : path.substr(path.find_last_of('/') + 1)) {
        if (c == '&')
            name.append("&amp;");
        else if (c == '<')
            name.append("&lt;");
        else if (c == '>')
            name.append("&gt;");
        else
            name.append(c);
    }
    return name;
}
