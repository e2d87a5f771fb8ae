#include "template/vti_directives.h"

#include <array>
#include <string>

#include "core/vtstring.h"
#include "html/parse_tag.h"

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

namespace {

struct named_code {
    std::string_view name;
    vti_code code;
};

constexpr std::array<named_code, 6> kDirectives{{
    {"echo", VTI_ECHO},
    {"for", VTI_FOR},
    {"endfor", VTI_ENDFOR},
    {"if", VTI_IF},
    {"else", VTI_ELSE},
    {"endif", VTI_ENDIF},
}};

constexpr std::string_view kOpen = "<!--#";
constexpr std::string_view kClose = "-->";

}  // namespace

vti_directive vti_read_directive(std::string_view raw, const vti_variables& variables) {
    vti_directive result;
    if (raw.size() < kOpen.size() + kClose.size() || !raw.starts_with(kOpen) ||
        !raw.ends_with(kClose))
        return result;
    // Kept by each thread for its next directive: a run reads the template's
    // directives again for every TOC it renders.
    thread_local vtstring name;
    thread_local vtstring var;
    // The splitter skips "<!--#" itself: none of it can start a name.
    const bool named =
        parse_tag_attribute(raw.substr(0, raw.size() - kClose.size()), "var", var,
                            tag_flags::lower_case | tag_flags::backslash_escapes, &name);
    for (const named_code& entry : kDirectives)
        if (name.view() == entry.name) result.code = entry.code;
    if (result.code == VTI_UNKNOWN || !named) return result;
    auto found = variables.find(var.view());
    if (found != variables.end()) result.list = &found->second;
    return result;
}

std::string vti_error_text(int32_t line, int32_t column) {
    std::string text = "<b>Error occurred while processing VTI directive.</b> Line # ";
    text += std::to_string(line);
    text += " Col # ";
    text += std::to_string(column);
    return text;
}
