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

// The buffers a split collects names and values in, kept by each thread for
// its next tag: a page splits thousands of tags, and fresh buffers would
// cost three allocations each.
struct split_buffers {
    vtstring name;
    vtstring attr_name;
    vtstring value;
    vtstring found;  // the value of a wanted name that nobody asked for
};

split_buffers& thread_buffers() {
    thread_local split_buffers buffers;
    return buffers;
}

// A buffer that grew for a huge tag is not kept for the thread's life.
void shrink(vtstring& buffer) {
    constexpr int32_t kept = 64 * 1024;
    if (buffer.capacity() > kept) buffer = vtstring();
}

// Where finished attributes go: every one into a map, or only the value of
// one wanted name (the last one written wins, as in the map, unless
// first_wins).
class splitter {
  public:
    splitter(vthash* attributes, bool lower_case, split_buffers& buffers)
        : attributes_(attributes),
          lower_(lower_case),
          attr_name_(buffers.attr_name),
          value_(buffers.value) {}
    splitter(std::string_view wanted, vtstring* found, bool lower_case, bool first_wins,
             split_buffers& buffers)
        : lower_(lower_case),
          first_wins_(first_wins),
          wanted_(wanted),
          found_(found),
          attr_name_(buffers.attr_name),
          value_(buffers.value) {}
    ~splitter() {
        shrink(attr_name_);
        shrink(value_);
    }
    splitter(const splitter&) = delete;
    splitter& operator=(const splitter&) = delete;

    bool wants_attributes() const { return attributes_ || found_; }

    void store() {
        if (attributes_ || found_) {
            if (lower_) attr_name_.to_lower();
            if (attributes_) attributes_->set(vtval(attr_name_), vtval(value_));
            if (found_ && attr_name_.view() == wanted_ && !(first_wins_ && matched_)) {
                *found_ = value_.view();
                matched_ = true;
            }
        }
        attr_name_.clear();
        value_.clear();
    }

    vthash* attributes_ = nullptr;
    bool lower_;
    bool first_wins_ = false;
    std::string_view wanted_;
    vtstring* found_ = nullptr;
    bool matched_ = false;
    vtstring& attr_name_;
    vtstring& value_;
};

void split(std::string_view bytes, vtstring& name, splitter& s, tag_flags flags);

}  // namespace

void parse_tag(std::string_view bytes, vtstring& name, vthash* attributes, tag_flags flags) {
    if (attributes) attributes->clear();
    const bool lower_case = has(flags, tag_flags::lower_case);
    splitter s(attributes, lower_case, thread_buffers());
    split(bytes, name, s, flags);
    if (lower_case) name.to_lower();
}

bool parse_tag_attribute(std::string_view bytes, std::string_view wanted, vtstring& value,
                         tag_flags flags, vtstring* name) {
    split_buffers& buffers = thread_buffers();
    vtstring& tag_name = name ? *name : buffers.name;
    splitter s(wanted, &value, has(flags, tag_flags::lower_case), has(flags, tag_flags::first_wins),
               buffers);
    split(
        bytes, tag_name, s,
        has(flags, tag_flags::backslash_escapes) ? tag_flags::backslash_escapes : tag_flags::none);
    if (name && has(flags, tag_flags::lower_case)) name->to_lower();
    shrink(buffers.name);
    return s.matched_;
}

bool parse_tag_has_attribute(std::string_view bytes, std::string_view wanted, tag_flags flags) {
    vtstring& found = thread_buffers().found;
    const bool there = parse_tag_attribute(bytes, wanted, found, flags);
    shrink(found);
    return there;
}

namespace {

void split(std::string_view bytes, vtstring& name, splitter& s, tag_flags flags) {
    const bool backslash_escapes = has(flags, tag_flags::backslash_escapes);
    const bool name_only = has(flags, tag_flags::name_only);
    name.clear();
    // Names and values are collected byte by byte; none is longer than the
    // tag, so one allocation each instead of one every few bytes.
    const auto most = static_cast<int32_t>(bytes.size());
    name.reserve(most);
    if (s.wants_attributes()) {
        s.attr_name_.reserve(most);
        s.value_.reserve(most);
    }
    at state = at::before_name;
    char quote = 0;
    size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        switch (state) {
            case at::before_name:
            case at::name_tail:
            case at::between:
                if (tag_quote(c)) {
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
                    if (name_only || !s.wants_attributes()) {
                        i = bytes.size();
                        continue;
                    }
                    state = tag_blank(c) ? at::between : at::name_tail;
                    if (tag_quote(c)) continue;  // skipped by name_tail
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
                if (tag_quote(c)) {
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
                } else if (tag_quote(c)) {
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
}

}  // namespace

std::string_view parse_tag_name(std::string_view bytes, vtstring& scratch, tag_flags flags) {
    const bool lower_case = has(flags, tag_flags::lower_case);
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n && !(byte_class_of(bytes[i]) & (byte_class::name_start | byte_class::quote))) ++i;
    if (i < n && (byte_class_of(bytes[i]) & byte_class::name_start)) {
        size_t j = i;
        uint8_t seen = 0;
        for (uint8_t c; j < n && ((c = byte_class_of(bytes[j])) & byte_class::name); ++j) seen |= c;
        // A plain run: no '=' continuing it, nothing to lower-case.
        if ((j == n || bytes[j] != '=') && !(lower_case && (seen & byte_class::upper)))
            return bytes.substr(i, j - i);
    }
    parse_tag(bytes, scratch, nullptr,
              lower_case ? tag_flags::lower_case | tag_flags::name_only : tag_flags::name_only);
    return scratch.view();
}
