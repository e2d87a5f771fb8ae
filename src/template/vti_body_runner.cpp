#include "template/vti_body_runner.h"

#include <algorithm>

#include "template/vti_plan.h"

void vti_body_runner::run(const vti_program& body, int32_t turns, bool loop, int32_t index) {
    if (const vti_plan* plan = vti_plan::used() ? body.plan() : nullptr; plan && plan->runs())
        return plan->run(output_, turns, loop, index);
    const size_t base = depth_;
    int32_t turn = 0;
    for (;;) {
        if (depth_ == base) {
            if (turn >= turns) return;
            push(body, loop ? turn : index);
            ++turn;
            continue;
        }
        frame& f = frames_[depth_ - 1];
        if (f.body) {
            if (f.turn < f.turns) {
                const int32_t i = f.loop ? f.turn : f.state.index();
                ++f.turn;
                push(*f.body, i);  // may move f
                continue;
            }
            f.body = nullptr;
        }
        if (f.range < f.program->ranges().size())
            step(f);
        else
            --depth_;
    }
}

void vti_body_runner::push(const vti_program& program, int32_t index) {
    if (depth_ == frames_.size()) frames_.emplace_back();
    frame& f = frames_[depth_++];
    f.program = &program;
    f.range = 0;
    f.token = program.ranges().empty() ? 0 : program.ranges().front().first;
    f.count = 0;
    f.state = vti_state(index);
    f.collected.clear();
    f.body = nullptr;
}

// Text and passed-through directives go by the mode.
void vti_body_runner::pass(frame& f, uint32_t token, std::string_view raw) {
    switch (f.state.mode()) {
        case vti_mode::output:
            output_.append(raw);
            break;
        case vti_mode::capture:
            if (!f.collected.empty() && f.collected.back().second == token)
                ++f.collected.back().second;
            else
                f.collected.emplace_back(token, token + 1);
            break;
        case vti_mode::skip:
            break;
    }
}

bool vti_body_runner::pass_stretch(frame& f) {
    const vti_program& program = *f.program;
    // Text from pending_from on is output whatever the mode: never passed
    // over here.
    if (f.count >= program.pending_from()) return false;
    const vti_range& range = program.ranges()[f.range];
    const uint32_t end =
        std::min<uint32_t>(range.second, f.token + program.pending_from() - f.count);
    const vti_blocks& blocks = program.source().blocks();
    const uint32_t stop = blocks.next_stop(f.token, end, f.state.if_depth(), f.state.for_depth());
    if (stop == f.token) return false;
    if (f.state.mode() == vti_mode::capture) {
        if (!f.collected.empty() && f.collected.back().second == f.token)
            f.collected.back().second = stop;
        else
            f.collected.emplace_back(f.token, stop);
    }
    f.state.pass_over(blocks.ifs(stop) - blocks.ifs(f.token),
                      blocks.fors(stop) - blocks.fors(f.token));
    f.count += stop - f.token;
    f.token = stop;
    if (stop == range.second && ++f.range < program.ranges().size())
        f.token = program.ranges()[f.range].first;
    return true;
}

void vti_body_runner::step(frame& f) {
    if (f.state.mode() != vti_mode::output && pass_stretch(f)) return;
    const vti_program& program = *f.program;
    const vti_source& source = program.source();
    const uint32_t at = f.token;
    const uint32_t count = f.count++;
    if (++f.token == program.ranges()[f.range].second && ++f.range < program.ranges().size())
        f.token = program.ranges()[f.range].first;

    const vti_token& token = source.tokens()[at];
    const std::string_view raw = source.raw(at);
    if (!token.markup) {
        // The text after the last token is output whatever the mode.
        if (count >= program.pending_from())
            output_.append(raw);
        else
            pass(f, at, raw);
        return;
    }
    const vti_decision d = f.state.apply(token.directive);
    if (d.pass) pass(f, at, raw);
    if (d.value) output_.append(d.value->text());
    if (d.error) {
        const auto [line, column] = program.position(at);
        output_.append(vti_error_text(line, column));
    }
    if (!d.run) return;
    if (d.turns > 0 && !f.collected.empty()) {
        f.body = &source.program(f.collected);
        f.turn = 0;
        f.turns = d.turns;
        f.loop = d.loop;
    }
    f.collected.clear();
}
