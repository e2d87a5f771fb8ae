// The tagged-text reader: no crash, and the same result, position and tree
// whatever the chunking (the first input byte picks a chunk size).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz_support.h"
#include "html/vtxml.h"

namespace {

struct outcome {
    int result;
    int line;
    int column;
};

outcome read(std::string_view text, size_t chunk, xml_tree& tree) {
    vtxml reader(tree);
    int result = 0;
    for (size_t at = 0; at < text.size() && result == 0; at += chunk) {
        reader.add(text.substr(at, chunk));
        result = reader.run();
    }
    if (result == 0) {
        reader.set_input_complete();
        result = reader.run();
    }
    (void)error_text(reader, result);
    return {result, reader.line(), reader.column()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 1000000) return 0;
    const size_t chunk = 1 + data[0] % 64;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    xml_tree whole;
    xml_tree pieces;
    const outcome a = read(text, text.size() + 1, whole);
    const outcome b = read(text, chunk, pieces);
    if (a.result != b.result || a.line != b.line || a.column != b.column) std::abort();
    if (a.result == 2 && fuzz_outline(whole) != fuzz_outline(pieces)) std::abort();
    for (const xml_node* n = whole.first(); n; n = xml_tree::next(n)) (void)n->attributes();
    return 0;
}
