// vti_program: the tokens one body instance runs, as ranges of a vti_source.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "template/vti_source.h"

class vti_program {
  public:
    vti_program(const vti_source& source, std::vector<vti_range> ranges);

    const vti_source& source() const { return source_; }
    const std::vector<vti_range>& ranges() const { return ranges_; }
    // Text tokens from this position on (counted over the program) are the
    // text still pending when the body's input ends: they are output whatever
    // the mode. It starts after the last markup token, or at the last text
    // token that begins with '<' after it (the tokenizer starts a new text
    // token at every '<' outside markup).
    uint32_t pending_from() const { return pending_from_; }

    // Line and column, counted over the program's text, at the last byte of
    // source token `token`, which must be in the program.
    std::pair<int32_t, int32_t> position(uint32_t token) const;

  private:
    uint32_t find_pending_from() const;

    const vti_source& source_;
    std::vector<vti_range> ranges_;
    uint32_t pending_from_ = 0;
    mutable std::unordered_map<uint32_t, std::pair<int32_t, int32_t>> positions_;
};
