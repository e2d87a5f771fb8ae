#include "template/vti_body.h"

#include <algorithm>
#include <cstring>

#include "template/vti_plan.h"

namespace {

// Records the tokens of a text. Tokens tile the input, so each one's offset
// is the sum of the lengths before it. The text still pending at the end of
// the input is one more text token.
class recorder : public vti_scanner {
  public:
    recorder(const vti_variables& variables, std::vector<vti_token>& tokens)
        : variables_(variables), tokens_(tokens) {}

    // Reads text in place: it outlives the recorder.
    void read_all(std::string_view text) {
        append_chunk(text);
        set_input_complete();
        run();
    }

  protected:
    void on_piece(std::string_view bytes, bool /*last*/) override { push(bytes); }
    void on_token(std::string_view bytes, bool directive) override {
        vti_token& token = push(bytes);
        token.markup = true;
        if (directive) token.directive = vti_read_directive(bytes, variables_);
    }

  private:
    vti_token& push(std::string_view bytes) {
        vti_token& token = tokens_.emplace_back();
        token.offset = offset_;
        token.length = static_cast<uint32_t>(bytes.size());
        offset_ += token.length;
        return token;
    }

    const vti_variables& variables_;
    std::vector<vti_token>& tokens_;
    uint32_t offset_ = 0;
};

}  // namespace

vti_source::vti_source(std::string text, const vti_variables& variables) : text_(std::move(text)) {
    // The text is part of a template that was below the scanner's limit, so
    // the run always reaches the end.
    recorder(variables, tokens_).read_all(text_);
    const uint32_t count = static_cast<uint32_t>(tokens_.size());
    std::vector<vti_range> all;
    if (count) all.emplace_back(0, count);
    whole_ = std::make_unique<vti_program>(*this, std::move(all));
    blocks_ = std::make_unique<vti_blocks>(tokens_);
}

vti_source::~vti_source() = default;

const vti_program& vti_source::program(const std::vector<vti_range>& ranges) const {
    std::unique_ptr<vti_program>& known = programs_[ranges];
    if (!known) known = std::make_unique<vti_program>(*this, ranges);
    return *known;
}

vti_program::vti_program(const vti_source& source, std::vector<vti_range> ranges)
    : source_(source), ranges_(std::move(ranges)) {
    pending_from_ = find_pending_from();
}

vti_program::~vti_program() = default;

const vti_plan* vti_program::plan() const {
    if (!planned_) {
        plan_ = vti_plan::make(*this);
        planned_ = true;
    }
    return plan_.get();
}

uint32_t vti_program::find_pending_from() const {
    uint32_t at = 0;
    for (const vti_range& r : ranges_) at += r.second - r.first;
    // Backwards over the trailing text tokens.
    for (size_t i = ranges_.size(); i-- > 0;) {
        for (uint32_t t = ranges_[i].second; t-- > ranges_[i].first;) {
            const vti_token& token = source_.tokens()[t];
            if (token.markup) return at;
            --at;
            if (source_.raw(t).starts_with('<')) return at;
        }
    }
    return 0;
}

std::pair<int32_t, int32_t> vti_program::position(uint32_t token) const {
    auto known = positions_.find(token);
    if (known != positions_.end()) return known->second;
    // As the tokenizer counts: a line feed starts the next line at column 1,
    // any other byte adds one to the column.
    int32_t line = 1;
    int32_t column = 0;
    const std::vector<vti_token>& tokens = source_.tokens();
    for (const vti_range& r : ranges_) {
        const bool last = token >= r.first && token < r.second;
        const uint32_t end_token = last ? token : r.second - 1;
        const std::string_view text = source_.bytes(
            tokens[r.first].offset, tokens[end_token].offset + tokens[end_token].length);
        const char* p = text.data();
        const char* end = p + text.size();
        const char* last_lf = nullptr;
        while (const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p))) {
            last_lf = static_cast<const char*>(lf);
            ++line;
            p = last_lf + 1;
        }
        if (last_lf)
            column = 1 + static_cast<int32_t>(end - last_lf - 1);
        else
            column += static_cast<int32_t>(text.size());
        if (last) break;
    }
    positions_.emplace(token, std::make_pair(line, column));
    return {line, column};
}

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
    known_stop& known = known_[(t * 7 + end * 3 + static_cast<uint32_t>(if_zero) * 5 +
                                static_cast<uint32_t>(for_zero)) %
                               known_.size()];
    if (known.end == end && known.t == t && known.if_zero == if_zero &&
        known.for_zero == for_zero && end != 0)
        return known.stop;
    uint32_t stop = end;
    // endif at if depth 1, for depth 0 closes the block; at if depth 0 it
    // drives the counter below zero. Likewise endfor.
    stop = std::min(stop, first(endifs_, if_zero + 1, for_zero, t, end));
    stop = std::min(stop, first(endifs_by_ifs_, if_zero, 0, t, end));
    stop = std::min(stop, first(endfors_, if_zero, for_zero + 1, t, end));
    stop = std::min(stop, first(endfors_by_fors_, 0, for_zero, t, end));
    // else at if depth 1, for depth 0 switches between capture and skip.
    stop = std::min(stop, first(elses_, if_zero + 1, for_zero, t, end));
    known = {t, end, if_zero, for_zero, stop};
    return stop;
}
