// The heading scan and write-out over any page read with plain markup folded
// (the way builds read pages), and so read with its tokens cut on a second
// thread, against the same page read node for node: the folded trees write
// back the page byte for byte, and after the scan, with any settings, all
// give the same TOC items and write the same page with the same TOC in the
// same place.
//
// The first byte picks the heading range, page titles, numbering, ids and
// the navigation links.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_toc_write.h"
#include "html/html_chunks.h"
#include "html/vthtml.h"
#include "toc/html_toc.h"
#include "toc/toc_fold_rule.h"

namespace {

struct outcome {
    std::string page;
    std::string items;
};

enum class reading { plain, folded, split };

// Folded, with its tokens cut on a second thread.
bool read_split(std::string_view page, xml_tree& tree) {
    byte_block block = make_byte_block(page.size() + 1);
    if (!page.empty()) std::memcpy(block.get(), page.data(), page.size());
    const std::string_view bytes(block.get(), page.size());
    tree.adopt(std::move(block));
    std::vector<uint32_t> chunks;
    for (size_t at = 0; at < bytes.size(); at += 777)
        chunks.push_back(static_cast<uint32_t>(std::min<size_t>(777, bytes.size() - at)));
    vtstring error;
    html_chunks reader(tree, "page.html", error, html_chunks::in_place);
    reader.fold_by(toc_fold_rule);
    return reader.read_split(bytes, chunks, 0, nullptr, nullptr) == 0;
}

bool read(std::string_view page, xml_tree& tree, reading how) {
    if (how == reading::split) return read_split(page, tree);
    const bool folded = how == reading::folded;
    vthtml reader(tree);
    if (folded) {
        byte_block block = make_byte_block(page.size());
        if (!page.empty()) std::memcpy(block.get(), page.data(), page.size());
        const std::string_view bytes(block.get(), page.size());
        tree.adopt(std::move(block));
        reader.fold_by(toc_fold_rule);
        // In pieces, as pages are read, so that tokens cross them.
        for (size_t at = 0; at < bytes.size(); at += 777) {
            reader.add_in_place(bytes.substr(at, 777));
            if (reader.run() != 0) return false;
        }
    } else {
        reader.add(page);
        if (reader.run() != 0) return false;
    }
    reader.set_input_complete();
    return reader.run() == 2;
}

outcome scanned(std::string_view page, uint8_t options, reading how) {
    xml_tree document;
    document.add_leading_empty_node();
    if (!read(page, document, how)) std::abort();
    if (how != reading::plain) {
        vtstring back;
        write_tree(document, back);
        if (back.view() != page) std::abort();
    }
    toc_tree toc;
    html_toc scan;
    scan.document = &document;
    scan.toc = &toc;
    scan.range_from = 1 + (options & 3);
    scan.range_to = scan.range_from + ((options >> 2) & 7);
    scan.process_title = options & 0x20;
    scan.process_numbering = options & 0x40;
    scan.anchor_ids = options & 0x80;
    scan.prev_page_link = "<a href=\"p.html\">p</a>";
    scan.time_stamp = 1000000000;
    scan.scan_headings();
    outcome out;
    for (const toc_node* item = toc.first(); item; item = toc_tree::next(item)) {
        out.items += std::to_string(item->heading_level) + " ";
        out.items.append(item->numbering()).append(item->text()).append(" ");
        out.items.append(item->link()).append("\n");
    }
    out.page = fuzz_written_with_stand_in_toc(document, scan);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 500000) return 0;
    const std::string_view page(reinterpret_cast<const char*>(data) + 1, size - 1);
    // The corpus's pages each under several settings.
    for (const uint8_t flip : {0x00, 0x64, 0xC3, 0xFF}) {
        const uint8_t options = data[0] ^ flip;
        const outcome plain = scanned(page, options, reading::plain);
        const outcome folded = scanned(page, options, reading::folded);
        if (plain.items != folded.items || plain.page != folded.page) std::abort();
        // A page that reads as UTF-16 or UTF-32 is refused, split or not.
        if (vtstring why; refuse_wide_page(page.substr(0, 777), "page.html", why)) continue;
        const outcome split = scanned(page, options, reading::split);
        if (split.items != folded.items || split.page != folded.page) std::abort();
    }
    return 0;
}
