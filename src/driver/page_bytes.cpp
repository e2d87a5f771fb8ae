#include "driver/page_bytes.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "files/vtfile_error.h"
#include "html/html_chunks.h"
#include "toc/toc_fold_rule.h"

namespace {

constexpr int32_t kChunk = 16384;

std::atomic<fold_rules> g_fold_rules{toc_fold_rule};

int percent_of(int64_t total, double size) {
    return static_cast<int>(static_cast<double>(total) / size * 100);
}

}  // namespace

fold_rules page_fold_rules() {
    return g_fold_rules.load(std::memory_order_relaxed);
}

void set_page_fold_rules(fold_rules rules) {
    g_fold_rules.store(rules, std::memory_order_relaxed);
}

int read_page_bytes(const vtfile_handle& file, std::string_view path, page_bytes& out,
                    content_hash* hash, vtstring& error, int64_t known_size, bool size_sure) {
    const int64_t size = known_size >= 0 ? known_size : file.size().to_real();
    out.size = static_cast<double>(size);
    out.chunks.clear();
    // Straight into the page's bytes: a regular file gives them in one call,
    // and a file whose size is known is not asked once more for its end (a
    // page changed meanwhile fails the check before it is replaced). A file
    // without a size is read to its end.
    // A size that may be out of date gets a byte more: a read that stops
    // short of it ends at the file's end (an unchanged file has no more),
    // and one that fills it reads on.
    const size_t expected = size > 0 ? static_cast<size_t>(size) : 0;
    size_t room = expected > 0 ? expected + (size_sure ? 0 : 1) : static_cast<size_t>(kChunk);
    if (!out.block || out.capacity < room) {
        out.block = make_byte_block(room);
        out.capacity = room;
    }
    size_t filled = 0;
    for (;;) {
        if (filled == room) {
            if (filled == expected) break;
            room *= 2;
            if (out.capacity < room) {
                byte_block grown = make_byte_block(room);
                std::memcpy(grown.get(), out.block.get(), filled);
                out.block = std::move(grown);
                out.capacity = room;
            }
        }
        const ssize_t n = ::read(file.get(), out.block.get() + filled, room - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = vtfile_error_message(vtfile_error::cannot_read, path);
            return 1;
        }
        if (n == 0) break;
        filled += static_cast<size_t>(n);
        if (!size_sure && filled == expected && expected > 0) break;
    }
    out.length = filled;
    const std::string_view bytes = out.bytes();
    if (refuse_wide_page(bytes.substr(0, static_cast<size_t>(kChunk)), path, error)) return 1;
    if (hash) hash->add(bytes);
    // The progress steps of a reader that takes the page a chunk at a time.
    for (size_t at = 0; at < filled; at += static_cast<size_t>(kChunk))
        out.chunks.push_back(
            static_cast<uint32_t>(std::min(filled - at, static_cast<size_t>(kChunk))));
    out.digest = hash_bytes(bytes);
    return 0;
}

int parse_page_bytes(page_bytes& in, std::string_view path, xml_tree& tree, vtstring& error,
                     void (*progress)(int percent, void* context), void* context, fold_rules rules,
                     bool split) {
    // The tree keeps the bytes its nodes stand for.
    const std::string_view bytes = in.bytes();
    tree.adopt(std::move(in.block));
    in.capacity = 0;
    html_chunks reader(tree, path, error, html_chunks::in_place);
    if (rules) reader.fold_by(rules);
    tree.expect_nodes(html_nodes_for(bytes.size(), rules));
    if (split && bytes.size() >= split_parse_bytes) {
        const int result = reader.read_split(bytes, in.chunks, in.size, progress, context);
        if (result >= 0) {
            if (result == 0 && progress) progress(100, context);
            return result;
        }
    }
    int64_t total = 0;
    for (const uint32_t n : in.chunks) {
        if (const int result = reader.add(bytes.substr(static_cast<size_t>(total), n)))
            return result;
        total += n;
        if (progress && in.size > 0) progress(percent_of(total, in.size), context);
    }
    if (const int result = reader.finish()) return result;
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
