#include "html/vtxml.h"

#include <cstring>
#include <new>

#include "html/entities.h"
#include "html/parse_tag.h"

vtxml::vtxml(xml_tree& tree) : tree_(tree) {
    set_size_limit(tagged_size_limit);
    set_keep_text(true);
    set_enabled_kinds(xml_kind_bit(xml_kind::start_tag) | xml_kind_bit(xml_kind::end_tag) |
                      xml_kind_bit(xml_kind::empty_tag) | xml_kind_bit(xml_kind::comment) |
                      xml_kind_bit(xml_kind::cdata) |
                      xml_kind_bit(xml_kind::processing_instruction));
    set_construct(xml_kind::start_tag, {">", false, false});
    set_construct(xml_kind::end_tag, {">", false, false});
    set_construct(xml_kind::empty_tag, {">", false, false});
    set_construct(xml_kind::comment, {"-->", false, false});
    set_construct(xml_kind::cdata, {"]]>", false, false});
    fill_entity_table(entities_);
}

void vtxml::add(std::string_view chunk) {
    if (chunk.empty()) return;
    size_t i = 0;
    if (after_cr_ && !chunk.empty() && chunk[0] == '\n') i = 1;
    after_cr_ = false;
    if (i >= chunk.size()) return;
    char* out = tree_.allocate(chunk.size() - i);
    size_t n = 0;
    for (; i < chunk.size(); ++i) {
        const char c = chunk[i];
        if (c != '\r') {
            out[n++] = c;
            continue;
        }
        out[n++] = '\n';
        if (i + 1 < chunk.size()) {
            if (chunk[i + 1] == '\n') ++i;
        } else {
            after_cr_ = true;
        }
    }
    append_chunk({out, n});
}

std::string_view vtxml::keep_token(std::string_view bytes) {
    return token_in_chunk() ? bytes : tree_.keep(bytes);
}

// The decoded form of raw, a view of raw itself when nothing was decoded.
std::string_view vtxml::decoded(std::string_view raw) {
    if (raw.find('&') == std::string_view::npos) return raw;
    scratch_ = raw;
    if (!decode_entities(scratch_, entities_, fold_)) return raw;
    return tree_.keep(scratch_.view());
}

void vtxml::place(xml_node* node) {
    if (parent_)
        tree_.append_child(node, parent_);
    else
        tree_.append_top(node);
    last_ = node;
}

int vtxml::on_text(std::string_view bytes) {
    try {
        xml_node* node = tree_.make();
        node->kind = xml_kind::text;
        node->closed = true;
        node->source = keep_token(bytes);
        tree_.tagged(node)->text = decoded(node->source);
        place(node);
    } catch (const std::bad_alloc&) {
        return VTSGML_NO_MEMORY;
    }
    return 0;
}

void vtxml::start_element(xml_node* node, std::string_view inner) {
    vthash raw;
    parse_tag(inner, scratch_, &raw, tag_flags::none);
    // The name as written is usually one run of the source: no copy then.
    const size_t at = inner.find(scratch_.view());
    node->name = at != std::string_view::npos ? inner.substr(at, scratch_.view().size())
                                              : tree_.keep(scratch_.view());
    vthash* attributes = tree_.make_attributes();
    for (const auto& [key, entry] : raw) {
        (void)key;
        vtval value = entry.value;
        decode_entities(value, entities_, fold_);
        attributes->set(entry.key, value);
    }
    tree_.tagged(node)->attributes = attributes;
}

int vtxml::on_markup(xml_kind kind, std::string_view bytes) {
    try {
        xml_node* node = tree_.make();
        node->source = keep_token(bytes);
        const std::string_view src = node->source;
        switch (kind) {
            case xml_kind::start_tag:
                if (src[src.size() - 2] == '/') kind = xml_kind::empty_tag;
                start_element(node, src.substr(1, src.size() - 2));
                break;
            case xml_kind::end_tag: {
                const std::string_view name =
                    parse_tag_name(src.substr(2, src.size() - 3), scratch_, tag_flags::none);
                node->name = name.data() == scratch_.data() ? tree_.keep(name) : name;
                node->kind = xml_kind::end_tag;
                return end_element(node);
            }
            case xml_kind::cdata:
                kind = xml_kind::text;
                tree_.tagged(node)->text = src.substr(9, src.size() - 12);
                break;
            default:
                break;
        }
        node->kind = kind;
        node->closed = kind != xml_kind::start_tag;
        place(node);
        if (kind == xml_kind::start_tag) {
            parent_ = node;
            ++open_count_;
        }
    } catch (const std::bad_alloc&) {
        return VTSGML_NO_MEMORY;
    }
    return 0;
}

// Strict matching: the end tag closes the last node placed (an element whose
// end tag came counts as that element) or that node's parent.
int vtxml::end_element(xml_node* end_tag) {
    if (!last_) {
        place(end_tag);
        return 0;
    }
    xml_node* last = last_ == last_end_tag_ ? last_closed_ : last_;
    if (last->kind == xml_kind::start_tag && !last->closed && last->name == end_tag->name) {
        // "<a></a>": one empty element; the end tag is not kept.
        last->kind = xml_kind::empty_tag;
        last->closed = true;
        --open_count_;
        parent_ = last->parent;
        last_ = last;
        return 0;
    }
    xml_node* parent = last->parent;
    if (parent && parent->kind == xml_kind::start_tag && !parent->closed &&
        parent->name == end_tag->name) {
        parent->closed = true;
        --open_count_;
        end_tag->closed = true;
        place(end_tag);
        last_end_tag_ = end_tag;
        last_closed_ = parent;
        parent_ = parent->parent;
        return 0;
    }
    return VTSGML_MISPLACED_END;
}

int vtxml::finish() {
    const int result = vtsgml::finish();
    if (result != VTSGML_DONE) return result;
    return open_count_ > 0 ? VTSGML_UNCLOSED : VTSGML_DONE;
}
