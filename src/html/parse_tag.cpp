// The attribute splitter: one pass over the bytes with a small state
// machine. Quoted text outside a value position is skipped as a whole.
#include "html/parse_tag.h"

namespace {

enum class at : uint8_t {
    before_name,  // skipping to the first name byte
    name,         // in the tag name
    name_tail,    // after the name's run, up to the first blank
    between,      // between attributes
    attr_name,
    after_attr_name,  // blanks after an attribute name: '=' may follow
    before_value,     // after '=', skipping blanks
    unquoted,
    quoted,
};

// Index just past the quoted text that opens at i (the closing quote
// included); the end of the bytes when it never closes.
size_t skip_quoted(std::string_view bytes, size_t i, bool backslash_escapes) {
    const char quote = bytes[i];
    for (++i; i < bytes.size(); ++i) {
        if (backslash_escapes && bytes[i] == '\\') {
            ++i;
            continue;
        }
        if (bytes[i] == quote) return i + 1;
    }
    return bytes.size();
}

bool is_quote(char c) {
    return c == '"' || c == '\'';
}

class splitter {
  public:
    splitter(vthash* attributes, bool lower_case) : attributes_(attributes), lower_(lower_case) {}

    void store() {
        if (attributes_) {
            if (lower_) attr_name_.to_lower();
            attributes_->set(vtval(attr_name_), vtval(value_));
        }
        attr_name_.clear();
        value_.clear();
    }

    vthash* attributes_;
    bool lower_;
    vtstring attr_name_;
    vtstring value_;
};

}  // namespace

bool tag_name_start(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}

bool tag_name_byte(char c) {
    return tag_name_start(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool tag_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void parse_tag(std::string_view bytes, vtstring& name, vthash* attributes, bool lower_case,
               bool backslash_escapes, bool name_only) {
    name.clear();
    if (attributes) attributes->clear();
    splitter s(attributes, lower_case);
    at state = at::before_name;
    char quote = 0;
    size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        switch (state) {
            case at::before_name:
            case at::name_tail:
            case at::between:
                if (is_quote(c)) {
                    i = skip_quoted(bytes, i, backslash_escapes);
                    continue;
                }
                if (state == at::before_name && tag_name_start(c)) {
                    name.append(c);
                    state = at::name;
                } else if (state == at::name_tail && tag_blank(c)) {
                    state = at::between;
                } else if (state == at::between && tag_name_start(c)) {
                    s.attr_name_.append(c);
                    state = at::attr_name;
                }
                break;
            case at::name:
                if (tag_name_byte(c)) {
                    name.append(c);
                } else if (c == '=') {
                    // skipped: the name goes on after it
                } else {
                    if (name_only || !attributes) {
                        i = bytes.size();
                        continue;
                    }
                    state = tag_blank(c) ? at::between : at::name_tail;
                    if (is_quote(c)) continue;  // skipped by name_tail
                }
                break;
            case at::attr_name:
                if (tag_name_byte(c)) {
                    s.attr_name_.append(c);
                } else if (c == '=') {
                    state = at::before_value;
                } else if (tag_blank(c)) {
                    state = at::after_attr_name;
                } else {
                    s.store();
                    state = at::between;
                    continue;  // the byte is looked at again between attributes
                }
                break;
            case at::after_attr_name:
                if (c == '=') {
                    state = at::before_value;
                } else if (!tag_blank(c)) {
                    s.store();
                    state = at::between;
                    continue;
                }
                break;
            case at::before_value:
                if (is_quote(c)) {
                    quote = c;
                    state = at::quoted;
                } else if (!tag_blank(c)) {
                    s.value_.append(c);
                    state = at::unquoted;
                }
                break;
            case at::unquoted:
                if (tag_blank(c)) {
                    s.store();
                    state = at::between;
                } else if (is_quote(c)) {
                    // A quote restarts the value as a quoted one.
                    s.value_.clear();
                    quote = c;
                    state = at::quoted;
                } else {
                    s.value_.append(c);
                }
                break;
            case at::quoted:
                if (backslash_escapes && c == '\\') {
                    if (i + 1 < bytes.size()) s.value_.append(bytes[i + 1]);
                    i += 2;
                    continue;
                }
                if (c == quote) {
                    s.store();
                    state = at::between;
                } else {
                    s.value_.append(c);
                }
                break;
        }
        ++i;
    }
    switch (state) {
        case at::attr_name:
        case at::after_attr_name:
        case at::before_value:
        case at::unquoted:
        case at::quoted:
            s.store();
            break;
        default:
            break;
    }
    if (lower_case) name.to_lower();
}

std::string_view parse_tag_name(std::string_view bytes, vtstring& scratch, bool lower_case) {
    size_t i = 0;
    while (i < bytes.size() && !tag_name_start(bytes[i]) && !is_quote(bytes[i])) ++i;
    if (i < bytes.size() && tag_name_start(bytes[i])) {
        size_t j = i;
        bool upper = false;
        while (j < bytes.size() && tag_name_byte(bytes[j])) {
            upper |= bytes[j] >= 'A' && bytes[j] <= 'Z';
            ++j;
        }
        // A plain run: no '=' continuing it, nothing to lower-case.
        if ((j == bytes.size() || bytes[j] != '=') && !(lower_case && upper))
            return bytes.substr(i, j - i);
    }
    parse_tag(bytes, scratch, nullptr, lower_case, false, true);
    return scratch.view();
}
