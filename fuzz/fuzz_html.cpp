// The HTML reader must give back every input byte for byte, and the same tree
// whatever the chunking (the first input byte picks a chunk size).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz_support.h"
#include "html/vthtml.h"

namespace {

int read(std::string_view text, size_t chunk, xml_tree& tree) {
    vthtml reader(tree);
    int result = 0;
    for (size_t at = 0; at < text.size() && result == 0; at += chunk) {
        reader.add(text.substr(at, chunk));
        result = reader.run();
    }
    if (result != 0) return result;
    reader.set_input_complete();
    return reader.run();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 1000000) return 0;
    const size_t chunk = 1 + data[0] % 64;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    xml_tree whole;
    xml_tree pieces;
    if (read(text, text.size() + 1, whole) != 2 || read(text, chunk, pieces) != 2) std::abort();
    vtstring written;
    write_tree(whole, written);
    if (written.view() != text) std::abort();
    if (fuzz_outline(whole) != fuzz_outline(pieces)) std::abort();
    return 0;
}
