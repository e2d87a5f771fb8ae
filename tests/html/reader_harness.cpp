#include "reader_harness.h"

#include <gtest/gtest.h>

#include <cstring>

#include "html/html_chunks.h"
#include "html/vthtml.h"
#include "html/vtxml.h"

std::string describe(const xml_tree& tree) {
    std::string out;
    for (const xml_node* n = tree.first(); n; n = xml_tree::next(n)) {
        out.append(static_cast<size_t>(xml_tree::depth(n)) * 2, ' ');
        out += xml_kind_name(n->kind);
        if (!n->name.empty()) out += "[" + std::string(n->name) + "]";
        if (!n->closed) out += " open";
        out += " ";
        out += n->source;
        if (!n->text().empty() && n->text() != n->source) out += " =" + std::string(n->text());
        out += "\n";
    }
    return out;
}

namespace {

template <class Reader>
reader_outcome run_reader(std::string_view text, size_t chunk) {
    xml_tree tree;
    Reader reader(tree);
    reader_outcome out;
    if (chunk == 0) chunk = text.size() ? text.size() : 1;
    int result = 0;
    for (size_t at = 0; at < text.size() && result == 0; at += chunk) {
        reader.add(text.substr(at, chunk));
        result = reader.run();
    }
    if (result == 0) {
        reader.set_input_complete();
        result = reader.run();
    }
    out.result = result;
    out.line = reader.line();
    out.column = reader.column();
    out.tree = describe(tree);
    vtstring written;
    write_tree(tree, written);
    out.written = written.str();
    return out;
}

template <class Reader>
reader_outcome all_ways(std::string_view text, size_t production) {
    reader_outcome whole = run_reader<Reader>(text, 0);
    for (size_t chunk : {production, size_t{7}, size_t{1}}) {
        reader_outcome other = run_reader<Reader>(text, chunk);
        EXPECT_EQ(whole.result, other.result) << "chunk " << chunk;
        EXPECT_EQ(whole.line, other.line) << "chunk " << chunk;
        EXPECT_EQ(whole.column, other.column) << "chunk " << chunk;
        EXPECT_EQ(whole.tree, other.tree) << "chunk " << chunk;
    }
    return whole;
}

}  // namespace

reader_outcome run_html(std::string_view text, size_t chunk) {
    return run_reader<vthtml>(text, chunk);
}
reader_outcome run_tagged(std::string_view text, size_t chunk) {
    return run_reader<vtxml>(text, chunk);
}
reader_outcome run_html_split(std::string_view text, std::vector<int>* progress) {
    xml_tree tree;
    byte_block block = make_byte_block(text.size() + 1);
    std::memcpy(block.get(), text.data(), text.size());
    const std::string_view bytes(block.get(), text.size());
    tree.adopt(std::move(block));
    std::vector<uint32_t> chunks;
    for (size_t at = 0; at < bytes.size(); at += 16384)
        chunks.push_back(static_cast<uint32_t>(std::min<size_t>(16384, bytes.size() - at)));
    vtstring error;
    html_chunks reader(tree, "page.html", error, html_chunks::in_place);
    const auto record = [](int percent, void* to) {
        static_cast<std::vector<int>*>(to)->push_back(percent);
    };
    reader_outcome out;
    out.result = reader.read_split(bytes, chunks, static_cast<double>(bytes.size()),
                                   progress ? +record : nullptr, progress);
    out.tree = describe(tree);
    vtstring written;
    write_tree(tree, written);
    out.written = written.str();
    return out;
}

reader_outcome html_all_ways(std::string_view text) {
    reader_outcome whole = all_ways<vthtml>(text, 16384);
    if (whole.result == 2) {
        const reader_outcome split = run_html_split(text, nullptr);
        EXPECT_EQ(split.result, 0) << "split";
        EXPECT_EQ(whole.tree, split.tree) << "split";
        EXPECT_EQ(whole.written, split.written) << "split";
    }
    return whole;
}
reader_outcome tagged_all_ways(std::string_view text) {
    return all_ways<vtxml>(text, 8092);
}
