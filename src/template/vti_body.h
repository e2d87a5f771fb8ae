// vti_body: a body collected by a top-level closing directive, split into
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

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "template/vti_directives.h"

class vti_blocks;
class vti_plan;
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

// The tokens one body instance runs, as ranges of a vti_source.
class vti_program {
  public:
    vti_program(const vti_source& source, std::vector<vti_range> ranges);
    ~vti_program();

    // The program as a tree of steps (vti_plan.h), made on first asking;
    // null when it has none.
    const vti_plan* plan() const;

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
    mutable std::unique_ptr<vti_plan> plan_;
    mutable bool planned_ = false;
};

// The nesting of a body's directives, for crossing collected stretches in
// one step.
//
// An instance that collects a block (capture mode) or passes over a branch
// (skip mode) acts on few tokens: an endif or endfor that closes its block
// or drives a depth counter below zero, and an else at if depth 1 and for
// depth 0. Every other token is collected or dropped and moves a depth
// counter by at most one. With the counts of opening minus closing
// directives before every token, the next token to act on is found by
// binary search, so a block nested to any depth is crossed in logarithmic
// time instead of token by token (a body run inside a body run would
// otherwise walk the same tokens once per level).
class vti_blocks {
  public:
    explicit vti_blocks(const std::vector<vti_token>& tokens);

    // Ifs opened minus ifs closed before token t (t may be the token count);
    // likewise fors.
    int32_t ifs(uint32_t t) const { return ifs_[t]; }
    int32_t fors(uint32_t t) const { return fors_[t]; }

    // The first token in [t, end) that an instance collecting or skipping
    // must act on, given its depth counters just before t; end when none.
    uint32_t next_stop(uint32_t t, uint32_t end, int32_t if_depth, int32_t for_depth) const;

  private:
    // A directive with the counts before it, ordered by counts, then token.
    struct mark {
        int32_t ifs;
        int32_t fors;
        uint32_t token;
        bool operator<(const mark& o) const {
            if (ifs != o.ifs) return ifs < o.ifs;
            if (fors != o.fors) return fors < o.fors;
            return token < o.token;
        }
    };
    // The first mark at or after t whose counts equal those given, or end.
    static uint32_t first(const std::vector<mark>& marks, int32_t ifs, int32_t fors, uint32_t t,
                          uint32_t end);

    std::vector<int32_t> ifs_;
    std::vector<int32_t> fors_;
    // Keyed by both counts: closing directives and elses. Keyed by one
    // count (the other 0): closing directives by their own kind's count.
    std::vector<mark> endifs_;
    std::vector<mark> endfors_;
    std::vector<mark> elses_;
    std::vector<mark> endifs_by_ifs_;
    std::vector<mark> endfors_by_fors_;

    // The stops found last, by what they depend on: a loop over a TOC's
    // items asks for the same few again for every item. A source belongs to
    // one render, so this is never shared between threads.
    struct known_stop {
        uint32_t t = 0;
        uint32_t end = 0;  // 0: an empty entry, never taken
        int32_t if_zero = 0;
        int32_t for_zero = 0;
        uint32_t stop = 0;
    };
    mutable std::array<known_stop, 64> known_{};
};
