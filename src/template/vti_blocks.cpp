#include "template/vti_blocks.h"

#include <algorithm>

vti_blocks::vti_blocks(const std::vector<vti_token>& tokens) {
    const uint32_t n = static_cast<uint32_t>(tokens.size());
    ifs_.resize(n + 1);
    fors_.resize(n + 1);
    for (uint32_t t = 0; t < n; ++t) {
        const int32_t i = ifs_[t];
        const int32_t f = fors_[t];
        ifs_[t + 1] = i;
        fors_[t + 1] = f;
        if (!tokens[t].markup) continue;
        switch (tokens[t].directive.code) {
            case VTI_IF:
                ++ifs_[t + 1];
                break;
            case VTI_FOR:
                ++fors_[t + 1];
                break;
            case VTI_ENDIF:
                --ifs_[t + 1];
                endifs_.push_back({i, f, t});
                endifs_by_ifs_.push_back({i, 0, t});
                break;
            case VTI_ENDFOR:
                --fors_[t + 1];
                endfors_.push_back({i, f, t});
                endfors_by_fors_.push_back({0, f, t});
                break;
            case VTI_ELSE:
                elses_.push_back({i, f, t});
                break;
            default:
                break;
        }
    }
    for (auto* marks : {&endifs_, &endfors_, &elses_, &endifs_by_ifs_, &endfors_by_fors_})
        std::sort(marks->begin(), marks->end());
}

uint32_t vti_blocks::first(const std::vector<mark>& marks, int32_t ifs, int32_t fors, uint32_t t,
                           uint32_t end) {
    auto it = std::lower_bound(marks.begin(), marks.end(), mark{ifs, fors, t});
    if (it == marks.end() || it->ifs != ifs || it->fors != fors) return end;
    return std::min(it->token, end);
}

uint32_t vti_blocks::next_stop(uint32_t t, uint32_t end, int32_t if_depth,
                               int32_t for_depth) const {
    // The counts before a token at which the instance's depths would be
    // (0, 0) and (1, 0). Between stops the depths follow the counts, and a
    // depth can only reach a value through a token that has it before.
    const int32_t if_zero = ifs_[t] - if_depth;
    const int32_t for_zero = fors_[t] - for_depth;
    uint32_t stop = end;
    // endif at if depth 1, for depth 0 closes the block; at if depth 0 it
    // drives the counter below zero. Likewise endfor.
    stop = std::min(stop, first(endifs_, if_zero + 1, for_zero, t, end));
    stop = std::min(stop, first(endifs_by_ifs_, if_zero, 0, t, end));
    stop = std::min(stop, first(endfors_, if_zero, for_zero + 1, t, end));
    stop = std::min(stop, first(endfors_by_fors_, 0, for_zero, t, end));
    // else at if depth 1, for depth 0 switches between capture and skip.
    stop = std::min(stop, first(elses_, if_zero + 1, for_zero, t, end));
    return stop;
}
