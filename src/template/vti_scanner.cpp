#include "template/vti_scanner.h"

#include "html/xml_node.h"

vti_scanner::vti_scanner() {
    set_enabled_kinds(1u << (XK_DIRECTIVE - 1));
    set_keep_text(true);
    set_construct(XK_DIRECTIVE, {"-->", true, true});
    set_size_limit(size_limit);
}

int vti_scanner::finish() {
    std::string_view rest = take_pending_text();
    if (!rest.empty()) on_piece(rest, true);
    return end_result();
}

int vti_scanner::on_text(std::string_view bytes) {
    on_piece(bytes, false);
    return 0;
}

int vti_scanner::on_markup(int kind, std::string_view bytes) {
    on_token(bytes, kind == XK_DIRECTIVE);
    return 0;
}
