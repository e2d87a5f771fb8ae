#include "html/vthtml.h"

#include <cstring>
#include <new>

#include "files/vtfile.h"
#include "html/html_chunks.h"
#include "html/parse_tag.h"

namespace {

// Elements that never take an end tag.
bool empty_by_name(std::string_view name) {
    static constexpr std::string_view names[] = {
        "area", "br",    "basefont", "base", "col",  "frame", "hr",
        "img",  "input", "isindex",  "link", "meta", "param",
    };
    if (name.size() < 2 || name.size() > 8) return false;
    for (std::string_view n : names)
        if (n == name) return true;
    return false;
}

}  // namespace

vthtml::vthtml(xml_tree& tree) : tree_(tree) {
    cut_like_html(*this);
}

void vthtml::cut_like_html(vtsgml& tokenizer) {
    tokenizer.set_size_limit(html_size_limit);
    tokenizer.set_keep_text(true);
    tokenizer.set_enabled_kinds(xml_kind_bit(xml_kind::start_tag) |
                                xml_kind_bit(xml_kind::end_tag) | xml_kind_bit(xml_kind::comment) |
                                xml_kind_bit(xml_kind::directive));
    tokenizer.set_construct(xml_kind::start_tag, {">", false, false});
    tokenizer.set_construct(xml_kind::end_tag, {">", false, false});
    tokenizer.set_construct(xml_kind::comment, {">", false, false});
    tokenizer.set_construct(xml_kind::directive, {"-->", false, false});
}

void vthtml::add(std::string_view chunk) {
    if (chunk.empty()) return;
    // Bytes not in place break the run of bytes that folded nodes stand for:
    // nothing folds from here on.
    in_place_ = false;
    char* stored = tree_.allocate(chunk.size());
    std::memcpy(stored, chunk.data(), chunk.size());
    append_chunk({stored, chunk.size()});
}

void vthtml::add_in_place(std::string_view chunk) {
    if (chunk.empty()) return;
    if (!next_byte_) {
        next_byte_ = chunk.data();
        in_place_ = true;
    }
    append_chunk(chunk);
}

// Tokens inside one chunk already live in the tree's memory; so do those
// of input added in place, which follow one another there.
std::string_view vthtml::keep_token(std::string_view bytes) {
    if (in_place_) {
        const std::string_view kept(next_byte_, bytes.size());
        next_byte_ += bytes.size();
        return kept;
    }
    return token_in_chunk() ? bytes : tree_.keep(bytes);
}

int vthtml::on_text(std::string_view bytes) {
    try {
        xml_node* node = tree_.make();
        node->kind = xml_kind::text;
        node->closed = true;
        node->source = keep_token(bytes);
        place(node);
        join_leaf(node);
    } catch (const std::bad_alloc&) {
        return VTSGML_NO_MEMORY;
    }
    return 0;
}

int vthtml::on_markup(xml_kind kind, std::string_view bytes) {
    try {
        const std::string_view src = keep_token(bytes);
        uint32_t number = 0;
        if (kind == xml_kind::start_tag || kind == xml_kind::end_tag) {
            const std::string_view name = tag_name(kind, src, scratch_);
            number = tree_.name_number(name, name.data() == scratch_.data());
        }
        add_markup(kind, src, number);
    } catch (const std::bad_alloc&) {
        return VTSGML_NO_MEMORY;
    }
    return 0;
}

std::string_view vthtml::tag_name(xml_kind& kind, std::string_view source, vtstring& scratch) {
    const size_t skip = kind == xml_kind::start_tag ? 1 : 2;
    const std::string_view name = parse_tag_name(source.substr(skip, source.size() - skip - 1),
                                                 scratch, tag_flags::lower_case);
    if (kind == xml_kind::start_tag && (source[source.size() - 2] == '/' || empty_by_name(name)))
        kind = xml_kind::empty_tag;
    return name;
}

int vthtml::take_tag(xml_kind kind, std::string_view bytes, uint32_t name) {
    try {
        add_markup(kind, keep_token(bytes), name);
    } catch (const std::bad_alloc&) {
        return VTSGML_NO_MEMORY;
    }
    return 0;
}

void vthtml::add_markup(xml_kind kind, std::string_view source, uint32_t name) {
    if (kind == xml_kind::end_tag) {
        close_by_end_tag(source, name);
        return;
    }
    xml_node* node = make_tag(kind, source, name);
    node->closed = kind != xml_kind::start_tag;
    place(node);
    if (kind == xml_kind::start_tag) push_open(node);
    mark(node);
    if (kind != xml_kind::start_tag) join_leaf(node);
}

xml_node* vthtml::make_tag(xml_kind kind, std::string_view source, uint32_t name) {
    xml_node* node = tree_.make();
    node->kind = kind;
    node->source = source;
    node->name.set_number(name);
    return node;
}

void vthtml::place(xml_node* node) {
    if (parent_)
        tree_.append_child(node, parent_);
    else
        tree_.append_top(node);
}

void vthtml::push_open(xml_node* element) {
    parent_ = element;
    open_names_.increment(element->name.number());
}

void vthtml::mark(xml_node* node) {
    if (!rules_) return;
    switch (rules_(node)) {
        case fold_rule::fold:
            return;
        case fold_rule::stand:
            node->fold = fold_stays;
            return;
        case fold_rule::keep:
            node->fold = fold_stays | fold_holds;
            break;
        case fold_rule::keep_inside:
            node->fold = fold_stays | fold_holds | fold_inside;
            break;
    }
    if (node == parent_) {
        if (node->fold & fold_inside) ++holding_;
    } else if (node->parent) {
        node->parent->fold |= fold_stays | fold_holds;
    }
}

// The nearest open element of the end tag's name on the way up takes the end
// tag as its last child and is closed; the elements passed over stay open but
// are no longer on the way up. Without such an element the end tag stays
// open where it stands.
void vthtml::close_by_end_tag(std::string_view source, uint32_t name) {
    // Most end tags close the element they stand in: no count needed then.
    const bool closes_parent = parent_ && parent_->name.number() == name;
    if (!closes_parent && open_names_.count(name) == 0) {
        xml_node* end_tag = make_tag(xml_kind::end_tag, source, name);
        place(end_tag);
        mark(end_tag);
        join_leaf(end_tag);
        return;
    }
    // The elements passed over end before the end tag.
    while (parent_->name.number() != name) pop(parent_, source.data());
    xml_node* element = parent_;
    xml_node* end_tag = make_tag(xml_kind::end_tag, source, name);
    element->closed = true;
    end_tag->closed = true;
    tree_.append_child(end_tag, element);
    mark(end_tag);
    pop(element, source.data() + source.size());
}

void vthtml::pop(xml_node* element, const char* end) {
    open_names_.decrement(element->name.number());
    parent_ = element->parent;
    if (element->fold & fold_inside) --holding_;
    if (element->fold & fold_holds) {
        if (parent_) parent_->fold |= fold_stays | fold_holds;
        return;
    }
    fold(element, end);
}

// An element leaves the way up for good: every node made after it lies in
// it, and they go; the element stands for its bytes.
void vthtml::fold(xml_node* element, const char* end) {
    if (!folding() || (element->fold & fold_stays)) return;
    const char* begin = element->source.data();
    element->kind = xml_kind::folded;
    element->name = std::string_view();
    element->first_child = nullptr;
    element->last_child = nullptr;
    element->source = xml_text(begin, static_cast<size_t>(end - begin));
    tree_.release_after(element);
    join_with_earlier(element);
}

bool vthtml::folding() const {
    return rules_ && in_place_ && holding_ == 0;
}

// A node without content that may fold: text, an empty tag, an end tag that
// closed nothing. Text that looks like a tag stays apart (an anchor a build
// wrote is looked for as such text before a heading), and so does anything
// at the very start of the page (after its byte-order mark goes a TOC).
bool vthtml::foldable_leaf(const xml_node* node) {
    if (node->fold & fold_stays) return false;
    if (node->kind == xml_kind::text) {
        if (node->source.starts_with('<')) return false;
    } else if (node->kind != xml_kind::empty_tag && node->kind != xml_kind::end_tag) {
        return false;
    }
    const xml_node* before = node->prev;
    return before ? before->kind != xml_kind::none : node->parent != nullptr;
}

// Extends before, a folded node, to the end of node, which goes.
void vthtml::fold_into(xml_node* before, xml_node* node) {
    const char* begin = before->source.data();
    const char* end = node->source.data() + node->source.size();
    before->kind = xml_kind::folded;
    before->name = std::string_view();
    before->source = xml_text(begin, static_cast<size_t>(end - begin));
    tree_.unlink(node);
    tree_.release_from(node);
}

// A leaf right after a folded node becomes part of it.
void vthtml::join_leaf(xml_node* leaf) {
    xml_node* before = leaf->prev;
    if (folding() && before && before->kind == xml_kind::folded && foldable_leaf(leaf))
        fold_into(before, leaf);
}

// A folded node right before this one, or a leaf that may fold, takes its
// bytes: runs of plain markup become one node. (A leaf after a folded node
// is part of it already.)
void vthtml::join_with_earlier(xml_node* folded) {
    xml_node* before = folded->prev;
    if (before && (before->kind == xml_kind::folded || foldable_leaf(before)))
        fold_into(before, folded);
}

size_t html_nodes_for(size_t bytes, fold_rules rules) {
    return bytes / (rules ? 80 : 12);
}

int read_html_file(std::string_view path, xml_tree& tree, vtstring& error,
                   void (*progress)(int percent, void* context), void* context) {
    vtfile_error why = vtfile_error::none;
    const vtfile_handle file = vtfile_open_rewritten(path, vtfile_links::trusted, why);
    if (!file.is_open()) {
        error = vtfile_error_message(why, path);
        return 1;
    }
    return read_html(file, path, tree, error, {progress, context});
}

int read_html(const vtfile_handle& file, std::string_view path, xml_tree& tree, vtstring& error,
              html_read_options options) {
    const double size = file.size().to_real();
    // The page is read into one block the tree keeps, as large as the file
    // was, and parsed where it lies; what a growing file adds beyond it is
    // copied.
    const size_t room = size > 0 ? static_cast<size_t>(size) : 0;
    char* block = room > 0 ? tree.allocate(room) : nullptr;
    size_t filled = 0;
    html_chunks reader(tree, path, error, html_chunks::in_place);
    if (options.rules) reader.fold_by(options.rules);
    tree.expect_nodes(html_nodes_for(room, options.rules));
    vtstring buffer;
    int64_t total = 0;
    for (;;) {
        const bool in_block = filled < room;
        const int32_t n =
            in_block ? file.read(block + filled,
                                 static_cast<int32_t>(std::min<size_t>(room - filled, 16384)))
                     : file.read(buffer, 16384);
        if (n < 0) {
            // A failed read is not the end of the file: a page read in part
            // would be written back cut short.
            error = vtfile_error_message(vtfile_error::cannot_read, path);
            return 1;
        }
        if (n == 0) break;
        total += n;
        const std::string_view chunk =
            in_block ? std::string_view(block + filled, static_cast<size_t>(n)) : buffer.view();
        if (in_block) filled += static_cast<size_t>(n);
        if (options.hash) options.hash->add(chunk);
        if (const int result = in_block ? reader.add(chunk) : reader.add_copy(chunk)) return result;
        if (options.progress && size > 0)
            options.progress(static_cast<int>(static_cast<double>(total) / size * 100),
                             options.context);
    }
    if (const int result = reader.finish()) return result;
    if (options.progress) options.progress(100, options.context);
    return 0;
}
