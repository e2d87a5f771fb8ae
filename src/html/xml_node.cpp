#include "html/xml_node.h"

#include <cstring>
#include <utility>

#include "html/parse_tag.h"
#include "html/xml_node_store.h"

static_assert(sizeof(xml_node) <= 40, "nodes are the bulk of a parsed page's memory");

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

const xml_tagged* xml_node::tagged() const {
    return xml_link::header_of(this)->store->find_tagged(this);
}

std::string_view xml_node::text() const {
    const xml_tagged* t = tagged();
    return t ? t->text : std::string_view();
}

vthash xml_node::attributes() const {
    if (const xml_tagged* t = tagged(); t && t->attributes) return *t->attributes;
    vthash attrs;
    if (splittable()) {
        vtstring tag_name;
        parse_tag(tag_inside(source), tag_name, &attrs, tag_flags::lower_case);
    }
    return attrs;
}

bool xml_node::attribute(std::string_view attribute_name, vtstring& value) const {
    if (const xml_tagged* t = tagged(); t && t->attributes) {
        const vtval* v = t->attributes->find(attribute_name);
        if (!v) return false;
        value = v->text();
        return true;
    }
    if (!splittable()) return false;
    // A repeated attribute counts with its first value, as in a browser.
    return parse_tag_attribute(tag_inside(source), attribute_name, value,
                               tag_flags::lower_case | tag_flags::first_wins);
}

bool xml_node::has_attribute(std::string_view attribute_name) const {
    if (const xml_tagged* t = tagged(); t && t->attributes)
        return t->attributes->find(attribute_name) != nullptr;
    if (!splittable()) return false;
    return parse_tag_has_attribute(tag_inside(source), attribute_name, tag_flags::lower_case);
}

xml_tree::xml_tree() = default;
xml_tree::~xml_tree() = default;

xml_tree::xml_tree(xml_tree&& other) noexcept
    : store_(std::move(other.store_)),
      first_(std::exchange(other.first_, nullptr)),
      last_(std::exchange(other.last_, nullptr)),
      count_(std::exchange(other.count_, 0)),
      blocks_(std::move(other.blocks_)),
      free_(std::exchange(other.free_, nullptr)),
      free_left_(std::exchange(other.free_left_, 0)),
      attribute_sets_(std::move(other.attribute_sets_)),
      text_comments_(std::exchange(other.text_comments_, {})) {}

xml_tree& xml_tree::operator=(xml_tree&& other) noexcept {
    if (this != &other) {
        xml_tree gone(std::move(*this));
        store_ = std::move(other.store_);
        first_ = std::exchange(other.first_, nullptr);
        last_ = std::exchange(other.last_, nullptr);
        count_ = std::exchange(other.count_, 0);
        blocks_ = std::move(other.blocks_);
        free_ = std::exchange(other.free_, nullptr);
        free_left_ = std::exchange(other.free_left_, 0);
        attribute_sets_ = std::move(other.attribute_sets_);
        text_comments_ = std::exchange(other.text_comments_, {});
    }
    return *this;
}

xml_node* xml_tree::make() {
    if (!store_) store_ = std::make_unique<xml_node_store>();
    return store_->make();
}

void xml_tree::expect_nodes(size_t nodes) {
    if (!store_) store_ = std::make_unique<xml_node_store>();
    store_->expect(nodes);
}

size_t xml_tree::pool_size() const {
    return store_ ? store_->size() : 0;
}

void xml_tree::release_after(const xml_node* node) {
    store_->release_after(node);
}

void xml_tree::release_from(const xml_node* node) {
    store_->release_from(node);
}

void xml_tree::link(xml_node* node, xml_node* parent, xml_node* before) {
    node->parent = parent;
    node->next = before;
    if (before) {
        xml_node* prev = before->prev;
        node->prev = prev;
        if (prev)
            prev->next = node;
        else
            set_first(parent, node);
        before->prev = node;
    } else {
        xml_node* tail = parent ? parent->last_child.get() : last_;
        node->prev = tail;
        if (tail)
            tail->next = node;
        else
            set_first(parent, node);
        set_last(parent, node);
    }
    if (!parent) ++count_;
}

xml_tree::unlinked xml_tree::unlink(xml_node* node) {
    xml_node* parent = node->parent;
    xml_node* prev = node->prev;
    xml_node* next = node->next;
    if (prev)
        prev->next = next;
    else
        set_first(parent, next);
    if (next)
        next->prev = prev;
    else
        set_last(parent, prev);
    if (!parent) --count_;
    node->parent = nullptr;
    node->next = nullptr;
    node->prev = nullptr;
    return {parent, next};
}

char* xml_tree::allocate(size_t n) {
    constexpr size_t block_size = 32 * 1024;
    if (n > block_size / 4) {
        blocks_.push_back(make_byte_block(n));
        return blocks_.back().get();
    }
    if (n > free_left_) {
        blocks_.push_back(make_byte_block(block_size));
        free_ = blocks_.back().get();
        free_left_ = block_size;
    }
    char* p = free_;
    free_ += n;
    free_left_ -= n;
    return p;
}

uint32_t xml_tree::name_number(std::string_view name, bool copied) {
    if (!store_) store_ = std::make_unique<xml_node_store>();
    return store_->name_number(name,
                               [&](std::string_view kept) { return copied ? keep(kept) : kept; });
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
    return &store_->tagged(node);
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
