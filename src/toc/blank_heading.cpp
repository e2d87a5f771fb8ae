#include "toc/blank_heading.h"

#include <string_view>

#include "toc/numbering_state.h"

namespace {

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if ((text[i] | 0x20) != prefix[i]) return false;
    return true;
}

// The length of the blank at the start of text; 0 when it starts otherwise.
size_t blank_length(std::string_view text) {
    switch (text[0]) {
        case ' ':
        case '\t':
        case '\r':
        case '\n':
        case '\f':
            return 1;
        case '\xC2':
            return text.size() > 1 && text[1] == '\xA0' ? 2 : 0;
        case '&':
            for (std::string_view reference : {"&nbsp;", "&#160;", "&#xa0;"})
                if (starts_with_nocase(text, reference)) return reference.size();
            return 0;
        default:
            return 0;
    }
}

}  // namespace

bool is_blank_heading(const xml_node* heading) {
    for (const xml_node* d = heading->first_child; d; d = xml_tree::next_within(d, heading)) {
        if (!is_text_node(d)) continue;
        std::string_view rest = d->source;
        size_t blank = 0;
        while (!rest.empty() && (blank = blank_length(rest)) > 0) rest.remove_prefix(blank);
        if (!rest.empty()) return false;
    }
    return true;
}
