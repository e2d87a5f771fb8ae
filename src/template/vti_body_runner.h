// vti_body_runner: runs loop and conditional bodies.
//
// Every run of a body is an engine instance with fresh state that replays the
// body's tokens. An instance that meets a closing directive runs the body it
// collected before going on, so instances nest as deeply as the template's
// blocks; they are kept on an explicit stack (reused from run to run) rather
// than the call stack, so no nesting depth can overflow it. All instances
// write to one output, in the order the text is produced.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/vtstring.h"
#include "template/vti_body.h"
#include "template/vti_state.h"

// The text a template run produces, as a list of strings that
// the caller moves out. Small appends are gathered into pieces of about
// 64 KB, so a run of many short values makes few strings.
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

class vti_body_runner {
  public:
    vti_body_runner(vti_output& output) : output_(output) {}

    // Runs body `turns` times; a loop's turn t reads index t, a conditional
    // body reads `index`.
    void run(const vti_program& body, int32_t turns, bool loop, int32_t index);

  private:
    struct frame {
        const vti_program* program = nullptr;
        // Read position: range, source token, and tokens read so far.
        size_t range = 0;
        uint32_t token = 0;
        uint32_t count = 0;
        vti_state state;
        // Source tokens collected for the body being gathered.
        std::vector<vti_range> collected;
        // The nested body this instance is running, and its turns.
        const vti_program* body = nullptr;
        int32_t turn = 0;
        int32_t turns = 0;
        bool loop = false;
    };

    void push(const vti_program& program, int32_t index);
    void step(frame& f);
    // Collects or drops, in one go, the tokens from the read position on
    // that need no action; false when the next token needs one.
    bool pass_stretch(frame& f);
    void pass(frame& f, uint32_t token, std::string_view raw);

    vti_output& output_;
    std::vector<frame> frames_;
    size_t depth_ = 0;
};
