// The template engine over any template and any variables: no crash, no
// hang, output bounded, and the same output whatever the chunking, with or
// without plans.
//
// Input: variable lines up to the first empty line ("name=v1|v2|..."), then
// the template. The first byte picks a chunk size for the second run.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "template/vti.h"
#include "template/vti_plan.h"

namespace {

// Lists are kept short enough that nested loops cannot multiply the output
// beyond a fixed factor: at most `cap` products of list lengths.
constexpr size_t cap = 256;

void read_variables(std::string_view head, vti_variables& variables) {
    while (!head.empty()) {
        const size_t end = head.find('\n');
        std::string_view line = head.substr(0, end);
        head = end == std::string_view::npos ? std::string_view() : head.substr(end + 1);
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        vti_list& list = variables[std::string(line.substr(0, eq))];
        std::string_view values = line.substr(eq + 1);
        while (true) {
            const size_t bar = values.find('|');
            list.push_back(vtval(values.substr(0, bar)));
            if (bar == std::string_view::npos) break;
            values = values.substr(bar + 1);
        }
    }
}

size_t count_loops(std::string_view text) {
    size_t n = 0;
    for (size_t at = 0; (at = text.find("#", at)) != std::string_view::npos; ++at)
        if (at + 3 < text.size() && (text[at + 1] | 0x20) == 'f' && (text[at + 2] | 0x20) == 'o' &&
            (text[at + 3] | 0x20) == 'r')
            ++n;
    return n;
}

std::string run(std::string_view text, size_t chunk, const vti_variables& variables) {
    vti engine(variables);
    std::vector<vtstring> out;
    int result = 0;
    for (size_t at = 0; at < text.size() && result == 0; at += chunk) {
        engine.add(text.substr(at, chunk));
        result = engine.process();
        engine.take_output(out);
    }
    if (result == 0) {
        engine.mark_end();
        result = engine.process();
        engine.take_output(out);
    }
    if (result == 0) std::abort();  // the end was marked: the run must finish
    std::string all;
    for (const vtstring& s : out) all.append(s.view());
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 100000) return 0;
    const size_t chunk = 1 + data[0] % 32;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t split = input.find("\n\n");
    if (split == std::string_view::npos) return 0;
    const std::string_view text = input.substr(split + 2);
    vti_variables variables;
    read_variables(input.substr(0, split), variables);

    size_t longest = 1;
    for (const auto& entry : variables)
        longest = std::max(longest, static_cast<size_t>(entry.second.count()));
    size_t product = 1;
    for (size_t loops = count_loops(text); loops > 0 && product <= cap; --loops) product *= longest;
    if (product > cap) return 0;

    const std::string whole = run(text, text.size() + 1, variables);
    // Every output byte comes from the template, a variable or an error
    // text (under 80 bytes per directive), once per loop turn.
    size_t longest_value = 0;
    for (const auto& entry : variables)
        for (int32_t i = 0; i < entry.second.count(); ++i)
            longest_value = std::max(longest_value, entry.second[i].text().size());
    const size_t bound = product * (text.size() + 1) * (100 + longest_value);
    if (whole.size() > bound) std::abort();
    if (run(text, chunk, variables) != whole) std::abort();
    // Bodies whose blocks nest run as plans: the runner gives the same.
    vti_plan::use(false);
    const bool same = run(text, chunk, variables) == whole;
    vti_plan::use(true);
    if (!same) std::abort();
    return 0;
}
