// vti_source: a body collected by a top-level closing directive, split into
// tokens once.
//
// The body's instance, and every instance of a body nested in it, sees a
// selection of these tokens: the ones its opening directive collected. Such a
// selection is a vti_program, a list of token ranges. Splitting a selection's
// text anew would give the same directives, because every collected token
// starts and ends outside markup; only adjacent text tokens would merge, which
// the program accounts for. So no body text is ever copied or split twice,
// and a run of loop turns only replays tokens.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "template/vti_directive.h"
#include "template/vti_variables.h"

class vti_blocks;
class vti_program;

struct vti_token {
    uint32_t offset = 0;
    uint32_t length = 0;
    // Markup tokens are directive comments, or one of the few constructs the
    // tokenizer ends early ("<>", "<!>"), which read as VTI_UNKNOWN.
    bool markup = false;
    vti_directive directive;
};

// Tokens [first, second) of a source.
using vti_range = std::pair<uint32_t, uint32_t>;

class vti_source {
  public:
    // Splits text into tokens, resolving the variables that directives name.
    vti_source(std::string text, const vti_variables& variables);
    ~vti_source();
    vti_source(const vti_source&) = delete;
    vti_source& operator=(const vti_source&) = delete;

    const std::vector<vti_token>& tokens() const { return tokens_; }
    std::string_view raw(uint32_t token) const {
        return std::string_view(text_).substr(tokens_[token].offset, tokens_[token].length);
    }
    // Bytes [from, to) of the text.
    std::string_view bytes(uint32_t from, uint32_t to) const {
        return std::string_view(text_).substr(from, to - from);
    }

    // The program of all tokens.
    const vti_program& whole() const { return *whole_; }
    // The nesting of the directives, for crossing collected stretches.
    const vti_blocks& blocks() const { return *blocks_; }
    // The program of the given non-empty ranges, made once.
    const vti_program& program(const std::vector<vti_range>& ranges) const;

  private:
    std::string text_;
    std::vector<vti_token> tokens_;
    std::unique_ptr<vti_program> whole_;
    std::unique_ptr<vti_blocks> blocks_;
    mutable std::map<std::vector<vti_range>, std::unique_ptr<vti_program>> programs_;
};
