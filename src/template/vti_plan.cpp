#include "template/vti_plan.h"

#include <atomic>
#include <utility>

#include "template/vti_state.h"

namespace {

// Deeper blocks stay with the runner, whose stack is its own.
constexpr size_t kDeepest = 64;

std::atomic<bool> g_used{true};

}  // namespace

void vti_plan::use(bool on) {
    g_used.store(on, std::memory_order_relaxed);
}

bool vti_plan::used() {
    return g_used.load(std::memory_order_relaxed);
}

std::unique_ptr<vti_plan> vti_plan::make(const vti_program& program) {
    auto plan = std::make_unique<vti_plan>();
    std::vector<step>& steps = plan->steps_;
    // The blocks open at this point: the block's step and, for a branch,
    // its current part's.
    std::vector<std::pair<uint32_t, uint32_t>> open;
    const auto at = [&] { return static_cast<uint32_t>(steps.size()); };
    const auto text = [&](std::string_view raw) {
        // Tokens next to each other in the source are one text.
        if (!steps.empty() && steps.back().what == kind::text &&
            steps.back().raw.data() + steps.back().raw.size() == raw.data())
            steps.back().raw =
                std::string_view(steps.back().raw.data(), steps.back().raw.size() + raw.size());
        else
            steps.push_back({kind::text, raw});
    };
    const vti_source& source = program.source();
    for (const vti_range& range : program.ranges()) {
        for (uint32_t t = range.first; t < range.second; ++t) {
            const vti_token& token = source.tokens()[t];
            const std::string_view raw = source.raw(t);
            const vti_directive& d = token.directive;
            const bool in_branch = !open.empty() && steps[open.back().first].what == kind::branch;
            switch (token.markup ? d.code : VTI_UNKNOWN) {
                case VTI_ECHO:
                    steps.push_back({kind::echo, raw, d.list});
                    break;
                case VTI_IF:
                    open.emplace_back(at(), at() + 1);
                    steps.push_back({kind::branch, raw, d.list});
                    steps.push_back({kind::part, raw});
                    break;
                case VTI_FOR:
                    open.emplace_back(at(), 0);
                    steps.push_back({kind::loop, raw, d.list});
                    break;
                case VTI_ELSE:
                    // Anywhere but right inside a conditional it is text.
                    if (!in_branch) {
                        text(raw);
                        break;
                    }
                    steps[open.back().second].end = at();
                    open.back().second = at();
                    steps.push_back({kind::part, raw});
                    break;
                case VTI_ENDIF:
                case VTI_ENDFOR:
                    if (open.empty() || in_branch != (d.code == VTI_ENDIF)) return nullptr;
                    if (in_branch) steps[open.back().second].end = at();
                    steps[open.back().first].end = at();
                    open.pop_back();
                    break;
                default:
                    text(raw);
                    break;
            }
            if (open.size() > kDeepest) return nullptr;
        }
    }
    return open.empty() ? std::move(plan) : nullptr;
}

bool vti_plan::runs() const {
    for (const step& s : steps_) {
        if (s.what == kind::loop && !s.list) return false;
        if (s.what == kind::branch && !vti_selected(s.list, 0)) return false;
    }
    return true;
}

void vti_plan::run(vti_output& output, int32_t turns, bool loop, int32_t index) const {
    for (int32_t turn = 0; turn < turns; ++turn)
        walk(0, static_cast<uint32_t>(steps_.size()), loop ? turn : index, output);
}

void vti_plan::walk(uint32_t from, uint32_t to, int32_t index, vti_output& output) const {
    for (uint32_t i = from; i < to;) {
        const step& s = steps_[i];
        switch (s.what) {
            case kind::text:
                output.append(s.raw);
                ++i;
                break;
            case kind::part:  // walked through its branch only
                ++i;
                break;
            case kind::echo: {
                const vtval* value = vti_selected(s.list, index);
                output.append(value ? value->text() : s.raw);
                ++i;
                break;
            }
            case kind::loop: {
                const int32_t turns = s.list->count();
                for (int32_t turn = 0; turn < turns; ++turn) walk(i + 1, s.end, turn, output);
                i = s.end;
                break;
            }
            case kind::branch: {
                // The parts after the if are taken and passed by turns.
                bool taken = vti_selected(s.list, index)->to_integer() != 0;
                for (uint32_t part = i + 1; part < s.end; part = steps_[part].end) {
                    if (taken) walk(part + 1, steps_[part].end, index, output);
                    taken = !taken;
                }
                i = s.end;
                break;
            }
        }
    }
}
