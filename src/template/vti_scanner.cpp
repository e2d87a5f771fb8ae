#include "template/vti_scanner.h"

#include "html/xml_node.h"

vti_scanner::vti_scanner() {
    set_enabled_kinds(xml_kind_bit(xml_kind::directive));
    set_keep_text(true);
    set_construct(xml_kind::directive, {"-->", true, true});
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

int vti_scanner::on_markup(xml_kind kind, std::string_view bytes) {
    on_token(bytes, kind == xml_kind::directive);
    return 0;
}
