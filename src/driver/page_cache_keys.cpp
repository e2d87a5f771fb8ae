#include "driver/page_cache_keys.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "core/product_title.h"
#include "driver/build_settings.h"
#include "driver/page_bytes.h"

namespace {

// Fields joined with their lengths, so that no two lists of fields join to
// the same text; hashed as they come (a destination's key covers the whole
// TOC, megabytes that need not stand in one place), a few kilobytes at a
// time: the fields of an item are a few bytes each.
class key_text {
  public:
    key_text& text(std::string_view t) {
        number(static_cast<int64_t>(t.size()));
        put(t);
        return *this;
    }
    key_text& number(int64_t n) {
        put(std::string_view(reinterpret_cast<const char*>(&n), sizeof n));
        return *this;
    }
    key_text& hash(const hash128& h) {
        return number(static_cast<int64_t>(h.low)).number(static_cast<int64_t>(h.high));
    }
    hash128 done() {
        flush();
        return out_.done();
    }

  private:
    void put(std::string_view bytes) {
        if (bytes.empty()) return;  // its data may be null
        if (bytes.size() > sizeof held_ - used_) {
            flush();
            if (bytes.size() > sizeof held_) return out_.add(bytes);
        }
        std::memcpy(held_ + used_, bytes.data(), bytes.size());
        used_ += bytes.size();
    }
    void flush() {
        out_.add(std::string_view(held_, used_));
        used_ = 0;
    }

    hash_stream out_;
    char held_[4096];
    size_t used_ = 0;
};

}  // namespace

hash128 run_digest(const build_settings& s, std::string_view cache_file,
                   std::string_view template_bytes) {
    key_text key;
    key.text(ORVANE_PRODUCT_TITLE).text(cache_file).text(s.destination);
    key.number(s.range_from).number(s.range_to).number(s.process_numbering);
    key.number(s.process_title).text(s.named_anchor_attributes).number(s.anchor_ids);
    key.text(s.skip_class).text(s.heading_links).number(s.numbering_from);
    key.number(s.numbering_to).number(s.numbering_start).text(s.unnumbered_class);
    key.text(s.number_class).number(s.insert_local_toc).text(s.indent);
    key.text(s.template_file).text(template_bytes);
    return key.done();
}

hash128 page_key(const hash128& digest, std::string_view normal_path, const page_bytes& page) {
    return key_text()
        .hash(digest)
        .text(normal_path)
        .number(static_cast<int64_t>(page.length))
        .hash(page.digest)
        .done();
}

hash128 page_context(const toc_tree& toc, const toc_node* last, std::string_view here,
                     std::string_view previous, std::string_view previous_name,
                     std::string_view contents) {
    key_text key;
    key.text(here).text(previous).text(previous_name).text(contents).number(toc.numbered_top);
    vtstring link;
    for (const toc_node* n = last; n; n = n->parent) {
        key.number(n->heading_level).text(n->text()).text(toc.link(*n, link));
        key.text(n->numbering()).number(n->numbered_below).number(n->unnumbered_branch);
        key.text(n->page >= 0 ? std::string_view(toc.pages[static_cast<size_t>(n->page)]) : "");
    }
    return key.done();
}

hash128 destination_key(const hash128& digest, std::string_view normal_path,
                        const page_bytes& destination, const toc_tree& toc) {
    key_text key;
    key.text("destination").hash(digest).text(normal_path);
    key.number(static_cast<int64_t>(destination.length)).hash(destination.digest);
    key.text(toc.indent.view());
    // An item's link is its page's path from the destination and its own
    // anchor: the paths once, then each item's page.
    key.number(static_cast<int64_t>(toc.pages.size()));
    for (size_t page = 0; page < toc.pages.size(); ++page)
        key.text(toc.page_link(static_cast<int32_t>(page)));
    for (const toc_node* n = toc.first(); n; n = toc_tree::next(n)) {
        int64_t depth = 0;
        for (const toc_node* up = n->parent; up; up = up->parent) ++depth;
        key.number(depth).number(n->heading_level).text(n->text()).number(n->page);
        key.text(n->link()).text(n->numbering()).number(n->unnumbered_branch);
    }
    return key.done();
}
