#include "template/vti_program.h"

#include <cstring>

vti_program::vti_program(const vti_source& source, std::vector<vti_range> ranges)
    : source_(source), ranges_(std::move(ranges)) {
    pending_from_ = find_pending_from();
}

uint32_t vti_program::find_pending_from() const {
    uint32_t at = 0;
    for (const vti_range& r : ranges_) at += r.second - r.first;
    // Backwards over the trailing text tokens.
    for (size_t i = ranges_.size(); i-- > 0;) {
        for (uint32_t t = ranges_[i].second; t-- > ranges_[i].first;) {
            const vti_token& token = source_.tokens()[t];
            if (token.markup) return at;
            --at;
            if (source_.raw(t).starts_with('<')) return at;
        }
    }
    return 0;
}

std::pair<int32_t, int32_t> vti_program::position(uint32_t token) const {
    auto known = positions_.find(token);
    if (known != positions_.end()) return known->second;
    // As the tokenizer counts: a line feed starts the next line at column 1,
    // any other byte adds one to the column.
    int32_t line = 1;
    int32_t column = 0;
    const std::vector<vti_token>& tokens = source_.tokens();
    for (const vti_range& r : ranges_) {
        const bool last = token >= r.first && token < r.second;
        const uint32_t end_token = last ? token : r.second - 1;
        const std::string_view text = source_.bytes(
            tokens[r.first].offset, tokens[end_token].offset + tokens[end_token].length);
        const char* p = text.data();
        const char* end = p + text.size();
        const char* last_lf = nullptr;
        while (const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p))) {
            last_lf = static_cast<const char*>(lf);
            ++line;
            p = last_lf + 1;
        }
        if (last_lf)
            column = 1 + static_cast<int32_t>(end - last_lf - 1);
        else
            column += static_cast<int32_t>(text.size());
        if (last) break;
    }
    positions_.emplace(token, std::make_pair(line, column));
    return {line, column};
}
