// vti_output: the text a template run produces, as a list of strings that
// the caller moves out. Small appends are gathered into pieces of about
// 64 KB, so a run of many short values makes few strings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class vti_output {
  public:
    static constexpr size_t piece_size = 65536;

    void append(std::string_view bytes) {
        if (bytes.empty()) return;
        if (pieces_.empty() || pieces_.back().size() >= piece_size) {
            pieces_.emplace_back();
            pieces_.back().reserve(piece_size < bytes.size() ? bytes.size() : piece_size);
        }
        pieces_.back() += bytes;
    }
    bool empty() const { return pieces_.empty(); }
    // Moves every piece to the end of out, in order, and starts afresh.
    void take(std::vector<std::string>& out) {
        for (std::string& piece : pieces_) out.push_back(std::move(piece));
        pieces_.clear();
    }

  private:
    std::vector<std::string> pieces_;
};
