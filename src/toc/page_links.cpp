#include "toc/page_links.h"

#include <vector>

#include "core/vtfile.h"
#include "core/vtfile_path.h"
#include "core/vttext.h"

std::string normal_page_path(std::string_view path) {
    std::string whole = vtfile_path(path);
    if (!whole.starts_with('/')) whole = std::string(vtfile_current_folder().view()) + "/" + whole;
    std::vector<std::string_view> parts;
    const std::string_view text(whole);
    for (size_t start = 0; start <= text.size();) {
        size_t slash = text.find('/', start);
        if (slash == std::string_view::npos) slash = text.size();
        const std::string_view part = text.substr(start, slash - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    std::string normal;
    for (std::string_view part : parts) (normal += '/') += part;
    return normal.empty() ? "/" : normal;
}

vtstring page_link(std::string_view from, std::string_view to) {
    // Compared with letter case: on Linux "Docs" and "docs" are two folders.
    const vtstring relative = vtfile_relative_path(from, to, false);
    return vt_url_encode_path(relative.view());
}
