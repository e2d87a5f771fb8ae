// The command-line splitter: no crash, no argument keeps a quote, and the
// arguments hold every byte of the text except quotes and separating blanks,
// in order.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/command_line.h"
#include "core/vtarr.h"

namespace {

std::string without(std::string_view text, std::string_view drop) {
    std::string out;
    for (char c : text)
        if (drop.find(c) == std::string_view::npos) out += c;
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 100000) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vtarr args;
    split_command_line(text, args);
    std::string joined;
    for (int32_t i = 0; i < args.count(); ++i) {
        const std::string_view arg = args[i].text();
        if (arg.find('"') != std::string_view::npos) std::abort();
        joined += arg;
    }
    if (without(joined, " ") != without(text, "\" ")) std::abort();
    if (joined.size() > text.size()) std::abort();
    return 0;
}
