#include "toc/toc_texts.h"

#include <cstring>

std::string_view toc_texts::keep(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > left_) {
        // A long text gets a block of its own, and the current block keeps
        // its room for the short ones that follow.
        const bool own = text.size() > block_size / 4;
        const size_t size = own ? text.size() : block_size;
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        reserved_ += size;
        char* bytes = blocks_.back().get();
        // Blocks never move or go: text may lie in an earlier one.
        std::memcpy(bytes, text.data(), text.size());
        if (!own) {
            next_ = bytes + text.size();
            left_ = size - text.size();
        }
        return {bytes, text.size()};
    }
    char* bytes = next_;
    std::memcpy(bytes, text.data(), text.size());
    next_ += text.size();
    left_ -= text.size();
    return {bytes, text.size()};
}
