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
    set_size_limit(html_size_limit);
    set_keep_text(true);
    set_enabled_kinds(xml_kind_bit(xml_kind::start_tag) | xml_kind_bit(xml_kind::end_tag) |
                      xml_kind_bit(xml_kind::comment) | xml_kind_bit(xml_kind::directive));
    set_construct(xml_kind::start_tag, {">", false, false});
    set_construct(xml_kind::end_tag, {">", false, false});
    set_construct(xml_kind::comment, {">", false, false});
    set_construct(xml_kind::directive, {"-->", false, false});
}

void vthtml::add(std::string_view chunk) {
    if (chunk.empty()) return;
    char* stored = tree_.allocate(chunk.size());
    std::memcpy(stored, chunk.data(), chunk.size());
    append_chunk({stored, chunk.size()});
}

// Tokens inside one chunk already live in the tree's memory.
std::string_view vthtml::keep_token(std::string_view bytes) {
    return token_in_chunk() ? bytes : tree_.keep(bytes);
}

int vthtml::on_text(std::string_view bytes) {
    try {
        xml_node* node = tree_.make();
        node->kind = xml_kind::text;
        node->closed = true;
        node->source = keep_token(bytes);
        place(node);
    } catch (const std::bad_alloc&) {
        return VTSGML_NO_MEMORY;
    }
    return 0;
}

int vthtml::on_markup(xml_kind kind, std::string_view bytes) {
    try {
        xml_node* node = tree_.make();
        node->source = keep_token(bytes);
        const std::string_view src = node->source;
        if (kind == xml_kind::start_tag || kind == xml_kind::end_tag) {
            const size_t skip = kind == xml_kind::start_tag ? 1 : 2;
            std::string_view name = parse_tag_name(src.substr(skip, src.size() - skip - 1),
                                                   scratch_, tag_flags::lower_case);
            node->name = name.data() == scratch_.data() ? tree_.keep(name) : name;
        }
        if (kind == xml_kind::start_tag &&
            (src[src.size() - 2] == '/' || empty_by_name(node->name)))
            kind = xml_kind::empty_tag;
        node->kind = kind;
        if (kind == xml_kind::end_tag) {
            close_by_end_tag(node);
            return 0;
        }
        node->closed = kind != xml_kind::start_tag;
        place(node);
        if (kind == xml_kind::start_tag) push_open(node);
    } catch (const std::bad_alloc&) {
        return VTSGML_NO_MEMORY;
    }
    return 0;
}

void vthtml::place(xml_node* node) {
    if (parent_)
        tree_.append_child(node, parent_);
    else
        tree_.append_top(node);
}

void vthtml::push_open(xml_node* element) {
    parent_ = element;
    open_names_.increment(element->name);
}

// The nearest open element of the end tag's name on the way up takes the end
// tag as its last child and is closed; the elements passed over stay open but
// are no longer on the way up. Without such an element the end tag stays
// open where it stands.
void vthtml::close_by_end_tag(xml_node* end_tag) {
    // Most end tags close the element they stand in: no count needed then.
    const bool closes_parent = parent_ && parent_->name == end_tag->name;
    if (!closes_parent && open_names_.count(end_tag->name) == 0) {
        place(end_tag);
        return;
    }
    xml_node* element = parent_;
    for (;;) {
        open_names_.decrement(element->name);
        if (element->name == end_tag->name) break;
        element = element->parent;
    }
    element->closed = true;
    end_tag->closed = true;
    tree_.append_child(end_tag, element);
    parent_ = element->parent;
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
    html_chunks reader(tree, path, error);
    vtstring buffer;
    int64_t total = 0;
    for (;;) {
        const int32_t n = file.read(buffer, 16384);
        if (n < 0) {
            // A failed read is not the end of the file: a page read in part
            // would be written back cut short.
            error = vtfile_error_message(vtfile_error::cannot_read, path);
            return 1;
        }
        if (n == 0) break;
        total += n;
        if (options.hash) options.hash->add(buffer.view());
        if (const int result = reader.add(buffer.view())) return result;
        if (options.progress && size > 0)
            options.progress(static_cast<int>(static_cast<double>(total) / size * 100),
                             options.context);
    }
    if (const int result = reader.finish()) return result;
    if (options.progress) options.progress(100, options.context);
    return 0;
}
