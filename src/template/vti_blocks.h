// vti_blocks: the nesting of a body's directives, for crossing collected
// stretches in one step.
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
#pragma once

#include <cstdint>
#include <vector>

#include "template/vti_source.h"

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
};
