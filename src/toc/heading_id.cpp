#include "toc/heading_id.h"

#include "html/byte_class.h"

namespace {

constexpr std::string_view marker = " data-velt-id";

// Where the written attributes go: before the closing '>', or before "/>"
// when the '/' follows a blank, a quote or the tag name itself (after an
// unquoted value it belongs to the value).
size_t insertion_place(std::string_view tag) {
    size_t at = tag.size() - 1;
    if (at >= 2 && tag[at - 1] == '/') {
        const char before = tag[at - 2];
        bool after_name = true;
        for (size_t i = 0; i + 1 < at && after_name; ++i) after_name = !tag_blank(tag[i]);
        if (tag_blank(before) || tag_quote(before) || after_name) --at;
    }
    return at;
}

}  // namespace

vtstring tag_with_own_id(std::string_view tag, std::string_view id) {
    const size_t at = insertion_place(tag);
    vtstring out(tag.substr(0, at));
    out.append(" id=\"").append(id).append('"').append(marker);
    out.append(tag.substr(at));
    return out;
}

namespace {

// Where the id a build wrote stands in tag: the opening quote of its value
// and the end of the tag before "/>" or '>'; false when the tag does not end
// with one as tag_with_own_id writes it. Read from the tag's end, so a tag
// whose attributes do not parse (a stray quote) still shows it.
bool written_id_at(std::string_view tag, size_t& open, size_t& end) {
    if (!tag.ends_with('>')) return false;
    end = tag.size() - 1;
    if (tag.substr(0, end).ends_with('/')) --end;
    if (!tag.substr(0, end).ends_with(marker)) return false;
    const size_t marker_at = end - marker.size();
    // ` id="value"` right before the marker, the value without quotes.
    if (marker_at == 0 || tag[marker_at - 1] != '"') return false;
    open = tag.rfind('"', marker_at - 2);
    return open != std::string_view::npos && open >= 4 && tag.substr(open - 4, 4) == " id=";
}

}  // namespace

bool tag_without_own_id(std::string_view tag, vtstring& out) {
    size_t open = 0, end = 0;
    if (!written_id_at(tag, open, end)) return false;
    out = tag.substr(0, open - 4);
    out.append(tag.substr(end));
    return true;
}

bool written_id_of(std::string_view tag, vtstring& id) {
    size_t open = 0, end = 0;
    if (!written_id_at(tag, open, end)) return false;
    const size_t close = end - marker.size() - 1;
    id = tag.substr(open + 1, close - open - 1);
    return true;
}

bool tag_reads_as_written(std::string_view tag) {
    // The attribute states of a browser's tokenizer, as far as quotes go.
    enum class at { name, before_attribute, attribute, before_value, quoted, unquoted };
    at state = at::name;
    char quote = 0;
    for (size_t i = 1; i < tag.size(); ++i) {
        const char c = tag[i];
        if (state == at::quoted) {
            if (c == quote) state = at::before_attribute;
            continue;
        }
        if (c == '>') return true;
        switch (state) {
            case at::name:
            case at::unquoted:
                if (tag_blank(c)) state = at::before_attribute;
                break;
            case at::before_attribute:
                if (!tag_blank(c) && c != '/') state = at::attribute;
                break;
            case at::attribute:
                if (c == '=') state = at::before_value;
                break;
            case at::before_value:
                if (tag_quote(c)) {
                    quote = c;
                    state = at::quoted;
                } else if (!tag_blank(c)) {
                    state = at::unquoted;
                }
                break;
            case at::quoted:
                break;
        }
    }
    return state != at::quoted;
}
