#include "toc/page_links.h"

#include "core/vttext.h"
#include "files/vtfile.h"
#include "files/vtfile_path.h"

vtstring page_link(std::string_view from, std::string_view to) {
    // Compared with letter case: on Linux "Docs" and "docs" are two folders.
    const vtstring relative = vtfile_relative_path(from, to, false);
    return vt_url_encode_path(relative.view());
}
