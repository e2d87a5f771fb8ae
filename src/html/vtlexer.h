// vtlexer: the chunked character reader under the markup tokenizer.
//
// Input arrives as a list of chunks. A chunk stays in the list (and its bytes
// stay where they are) until the reader is destroyed, so the size limit caps
// the whole input and tokens that lie inside one chunk can be handed out as
// views without copying.
//
// Position: `line` starts at 1 and `column` at 0. Reading a line feed adds 1
// to the line and sets the column to 1; any other byte adds 1 to the column.
// So on the first line the n-th byte read gives column n, on later lines
// column n + 1. The counters are computed on demand from the read position,
// so the tokenizer's hot loop never counts bytes one at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/page_size_limit.h"

class vtlexer {
  public:
    // Size limits of the readers (the whole input must stay below them).
    static constexpr int64_t default_size_limit = 65536;
    static constexpr int64_t html_size_limit = page_size_limit;
    static constexpr int64_t tagged_size_limit = 16777216;

    vtlexer() = default;
    virtual ~vtlexer() = default;
    vtlexer(const vtlexer&) = delete;
    vtlexer& operator=(const vtlexer&) = delete;

    // Appends a copy of the bytes as the next chunk. Readers override this
    // slot to prepare or place the bytes; an empty chunk is ignored.
    virtual void add(std::string_view chunk);
    // Marks that no more chunks will come; the next run delivers the rest.
    void set_input_complete(bool complete = true) { input_complete_ = complete; }
    bool input_complete() const { return input_complete_; }

    // Total bytes of all chunks added so far.
    int64_t size() const { return size_; }
    int64_t size_limit() const { return size_limit_; }
    void set_size_limit(int64_t limit) { size_limit_ = limit; }
    // True when the input added so far has reached the limit (run fails).
    bool size_exceeded() const { return size_ >= size_limit_; }

    // Line and column of the last byte read (1 and 0 before any byte).
    int32_t line() const;
    int32_t column() const;
    // Bytes read so far minus one (-1 before any byte).
    int64_t chars_read() const { return position() - 1; }

  protected:
    // Appends a chunk whose bytes the caller keeps alive as long as this
    // reader (no copy). Derived readers use it after placing the bytes in
    // memory of their own, e.g. the document tree's.
    void append_chunk(std::string_view stored);
    // Copies bytes into memory owned by this reader.
    std::string_view store(std::string_view bytes);

    // Read position: chunk index and offset of the next byte to read.
    std::vector<std::string_view> chunks_;
    size_t chunk_ = 0;
    size_t offset_ = 0;
    // Bytes before chunk chunk_.
    int64_t chunk_base_ = 0;
    // Bytes read so far: the absolute offset of the next byte to read.
    int64_t position() const { return chunk_base_ + static_cast<int64_t>(offset_); }

  private:
    void update_position() const;

    std::vector<std::unique_ptr<char[]>> owned_;
    int64_t size_ = 0;
    int64_t size_limit_ = default_size_limit;
    bool input_complete_ = false;

    // Lazily counted position: line and column after the first counted_
    // bytes; counting resumes from (count_chunk_, count_offset_).
    mutable int64_t counted_ = 0;
    mutable size_t count_chunk_ = 0;
    mutable size_t count_offset_ = 0;
    mutable int32_t line_ = 1;
    mutable int32_t column_ = 0;
};
