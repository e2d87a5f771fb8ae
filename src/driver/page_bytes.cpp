#include "driver/page_bytes.h"

#include "core/memory_error_text.h"
#include "files/vtfile_error.h"
#include "html/text_encoding.h"
#include "html/vthtml.h"

namespace {

constexpr int32_t kChunk = 16384;

int percent_of(int64_t total, double size) {
    return static_cast<int>(static_cast<double>(total) / size * 100);
}

}  // namespace

int read_page_bytes(const vtfile_handle& file, std::string_view path, page_bytes& out,
                    content_hash* hash, vtstring& error) {
    out.size = file.size().to_real();
    out.bytes.clear();
    out.chunks.clear();
    if (out.size > 0) out.bytes.reserve(static_cast<size_t>(out.size));
    vtstring buffer;
    for (;;) {
        const int32_t n = file.read(buffer, kChunk);
        if (n < 0) {
            error = vtfile_error_message(vtfile_error::cannot_read, path);
            return 1;
        }
        if (n == 0) break;
        if (out.bytes.empty() && is_utf16_or_utf32(buffer.view())) {
            error = "Can't read UTF-16 or UTF-32 file: ";
            error += path;
            return 1;
        }
        if (hash) hash->add(buffer.view());
        out.bytes.append(buffer.view());
        out.chunks.push_back(static_cast<uint32_t>(n));
    }
    out.digest = hash_bytes(out.bytes);
    return 0;
}

int parse_page_bytes(const page_bytes& in, std::string_view path, xml_tree& tree, vtstring& error,
                     void (*progress)(int percent, void* context), void* context) {
    vthtml reader(tree);
    int64_t total = 0;
    int result = 0;
    for (const uint32_t n : in.chunks) {
        reader.add(std::string_view(in.bytes).substr(static_cast<size_t>(total), n));
        total += n;
        result = reader.run();
        if (result != VTSGML_MORE) {
            error = reader.size_exceeded() ? vtfile_error_message(vtfile_error::too_large, path)
                                           : vtstring(memory_error_text);
            return result;
        }
        if (progress && in.size > 0) progress(percent_of(total, in.size), context);
    }
    reader.set_input_complete();
    result = reader.run();
    if (result != VTSGML_DONE) {
        error = memory_error_text;
        return result;
    }
    if (progress) progress(100, context);
    return 0;
}

void replay_page_progress(const page_bytes& in, void (*progress)(int percent, void* context),
                          void* context) {
    if (!progress) return;
    int64_t total = 0;
    for (const uint32_t n : in.chunks) {
        total += n;
        if (in.size > 0) progress(percent_of(total, in.size), context);
    }
    progress(100, context);
}
