#include "html/xml_node.h"

#include <cstring>

#include "html/parse_tag.h"

#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
static_assert(sizeof(xml_node) <= 88, "nodes are the bulk of a parsed page's memory");
#endif

namespace {

// The bytes between a tag's '<' and its closing '>'. A heading that a scan
// has passed holds what the scan added after its own bytes, which end at
// their first '>' (the tokenizer ends every tag there).
std::string_view tag_inside(std::string_view source) {
    const size_t end = source.find('>');
    return end == std::string_view::npos ? source.substr(1, source.size() - 2)
                                         : source.substr(1, end - 1);
}

}  // namespace

vthash xml_node::attributes() const {
    if (tagged && tagged->attributes) return *tagged->attributes;
    vthash attrs;
    if ((kind == xml_kind::start_tag || kind == xml_kind::empty_tag) && source.size() >= 2) {
        vtstring tag_name;
        parse_tag(tag_inside(source), tag_name, &attrs, tag_flags::lower_case);
    }
    return attrs;
}

bool xml_node::attribute(std::string_view attribute_name, vtstring& value) const {
    if (tagged && tagged->attributes) {
        const vtval* v = tagged->attributes->find(attribute_name);
        if (!v) return false;
        value = v->text();
        return true;
    }
    if ((kind != xml_kind::start_tag && kind != xml_kind::empty_tag) || source.size() < 2)
        return false;
    // A repeated attribute counts with its first value, as in a browser.
    return parse_tag_attribute(tag_inside(source), attribute_name, value,
                               tag_flags::lower_case | tag_flags::first_wins);
}

char* xml_tree::allocate(size_t n) {
    constexpr size_t block_size = 32 * 1024;
    if (n > block_size / 4) {
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(n ? n : 1));
        return blocks_.back().get();
    }
    if (n > free_left_) {
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(block_size));
        free_ = blocks_.back().get();
        free_left_ = block_size;
    }
    char* p = free_;
    free_ += n;
    free_left_ -= n;
    return p;
}

std::string_view xml_tree::keep(std::string_view bytes) {
    if (bytes.empty()) return {};
    char* p = allocate(bytes.size());
    std::memcpy(p, bytes.data(), bytes.size());
    return {p, bytes.size()};
}

void xml_tree::set_source(xml_node* node, std::string_view front, std::string_view back) {
    char* p = allocate(front.size() + back.size());
    if (!front.empty()) std::memcpy(p, front.data(), front.size());
    if (!back.empty()) std::memcpy(p + front.size(), back.data(), back.size());
    node->source = {p, front.size() + back.size()};
}

xml_tagged* xml_tree::tagged(xml_node* node) {
    if (!node->tagged) node->tagged = tagged_.emplace_back();
    return const_cast<xml_tagged*>(node->tagged);
}

xml_node* xml_tree::make_text(std::string_view bytes) {
    xml_node* n = make();
    n->kind = xml_kind::text;
    n->closed = true;
    n->source = keep(bytes);
    return n;
}

xml_node* xml_tree::add_leading_empty_node() {
    xml_node* n = make();
    append_top(n);
    return n;
}

void write_tree(const xml_tree& tree, vtstring& out) {
    size_t total = 0;
    for (const xml_node* n = tree.first(); n; n = xml_tree::next(n)) total += n->source.size();
    const int32_t at = out.length();
    out.set_length(at + static_cast<int32_t>(total));
    char* p = out.data() + at;
    for (const xml_node* n = tree.first(); n; n = xml_tree::next(n)) {
        if (n->source.empty()) continue;
        std::memcpy(p, n->source.data(), n->source.size());
        p += n->source.size();
    }
}
