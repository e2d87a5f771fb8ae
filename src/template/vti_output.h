// vti_output: the text a template run produces, as a list of strings that
// the caller moves out. Small appends are gathered into pieces of about
// 64 KB, so a run of many short values makes few strings.
#pragma once

#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/vtstring.h"

class vti_output {
  public:
    static constexpr int32_t piece_size = 65536;

    // From now on every full piece goes to sink as soon as it is full, and
    // only the last one waits to be taken: a run's output is not held whole.
    void set_sink(std::function<void(std::string_view)> sink) { sink_ = std::move(sink); }

    void append(std::string_view bytes) {
        if (bytes.empty()) return;
        if (pieces_.empty() || pieces_.back().length() >= piece_size) {
            pieces_.emplace_back();
            pieces_.back().reserve(piece_size);
        }
        pieces_.back().append(bytes);
        if (sink_ && pieces_.back().length() >= piece_size) {
            sink_(pieces_.back().view());
            pieces_.back().clear();
        }
    }
    // Moves every piece to the end of out, in order, and starts afresh.
    void take(std::vector<vtstring>& out) {
        for (vtstring& piece : pieces_) out.push_back(std::move(piece));
        pieces_.clear();
    }

  private:
    std::vector<vtstring> pieces_;
    std::function<void(std::string_view)> sink_;
};
