// toc_texts: the store of a TOC's texts (item texts, links and numbers).
//
// Texts are copied into blocks that never move and are freed only with the
// store: a view it gives stays valid as long as the store. A site of a
// million items keeps their texts in a few hundred blocks rather than in a
// heap block or two each.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

class toc_texts {
  public:
    static constexpr size_t block_size = size_t{64} << 10;

    // A copy of text, which may lie in this store.
    std::string_view keep(std::string_view text);
    // Bytes held in blocks, used or not.
    size_t reserved() const { return reserved_; }

  private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* next_ = nullptr;
    size_t left_ = 0;
    size_t reserved_ = 0;
};
