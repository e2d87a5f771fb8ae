#include "html/vtlexer.h"

#include <cstring>

void vtlexer::add(std::string_view chunk) {
    if (chunk.empty()) return;
    append_chunk(store(chunk));
}

void vtlexer::append_chunk(std::string_view stored) {
    if (stored.empty()) return;
    chunks_.push_back(stored);
    size_ += static_cast<int64_t>(stored.size());
}

std::string_view vtlexer::store(std::string_view bytes) {
    auto block = std::make_unique_for_overwrite<char[]>(bytes.size());
    std::memcpy(block.get(), bytes.data(), bytes.size());
    owned_.push_back(std::move(block));
    return {owned_.back().get(), bytes.size()};
}

// Counts the line feeds between the last counted byte and the read position.
void vtlexer::update_position() const {
    const int64_t target = position();
    while (counted_ < target && count_chunk_ < chunks_.size()) {
        std::string_view c = chunks_[count_chunk_];
        size_t avail = c.size() - count_offset_;
        size_t n = static_cast<size_t>(target - counted_) < avail
                       ? static_cast<size_t>(target - counted_)
                       : avail;
        const char* p = c.data() + count_offset_;
        const char* end = p + n;
        const char* last_lf = nullptr;
        int32_t lines = 0;
        for (const char* q = p; q < end;) {
            const void* lf = std::memchr(q, '\n', static_cast<size_t>(end - q));
            if (!lf) break;
            last_lf = static_cast<const char*>(lf);
            ++lines;
            q = last_lf + 1;
        }
        if (last_lf) {
            line_ += lines;
            column_ = 1 + static_cast<int32_t>(end - last_lf - 1);
        } else {
            column_ += static_cast<int32_t>(n);
        }
        counted_ += static_cast<int64_t>(n);
        count_offset_ += n;
        if (count_offset_ == c.size()) {
            ++count_chunk_;
            count_offset_ = 0;
        }
    }
}

int32_t vtlexer::line() const {
    update_position();
    return line_;
}

int32_t vtlexer::column() const {
    update_position();
    return column_;
}
