// vti_output: the text a template run produces, as a list of strings that
// the caller moves out. Small appends are gathered into pieces of about
// 64 KB, so a run of many short values makes few strings.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "core/vtstring.h"

class vti_output {
  public:
    static constexpr int32_t piece_size = 65536;

    void append(std::string_view bytes) {
        if (bytes.empty()) return;
        if (pieces_.empty() || pieces_.back().length() >= piece_size) {
            pieces_.emplace_back();
            pieces_.back().reserve(piece_size);
        }
        pieces_.back().append(bytes);
    }
    // Moves every piece to the end of out, in order, and starts afresh.
    void take(std::vector<vtstring>& out) {
        for (vtstring& piece : pieces_) out.push_back(std::move(piece));
        pieces_.clear();
    }

  private:
    std::vector<vtstring> pieces_;
};
