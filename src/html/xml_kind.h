// xml_kind: what a piece of markup is. The tokenizer detects the kinds from
// start_tag to unknown by their opening bytes; the readers store them, with
// text, as the kinds of document nodes.
#pragma once

#include <cstdint>
#include <string_view>

enum class xml_kind : int8_t {
    none = -1,                    // a node not filled (a document's leading node)
    start_tag = 1,                // '<' and a letter, '_' or ':'
    end_tag = 2,                  // "</"
    empty_tag = 3,                // never detected: a reader turns a start tag into one
    declaration = 4,              // "<!" not continued as one of the keywords below
    comment = 5,                  // "<!--" not followed by '#'
    cdata = 6,                    // "<![CDATA["
    doctype = 7,                  // "<!DOCTYPE"
    element_declaration = 8,      // "<!ELEMENT"
    attlist_declaration = 9,      // "<!ATTLIST"
    entity_declaration = 10,      // "<!ENTITY"
    processing_instruction = 11,  // "<?"
    server_script = 12,           // "<%"
    hash_construct = 13,          // "<#"
    directive = 14,               // "<!--#"
    unknown = 15,                 // '<' and any other byte
    text = 18,                    // bytes outside markup
    folded = 19,                  // closed elements a reader folded into one node (html_fold.h)
};

// The kinds the tokenizer detects are start_tag..unknown.
inline constexpr int xml_markup_kinds = 15;

// The bit of kind in a tokenizer's mask of enabled kinds (bit k-1 for kind k).
constexpr uint32_t xml_kind_bit(xml_kind kind) {
    return 1u << (static_cast<int>(kind) - 1);
}

// The enumerator's name ("start_tag", "text", ...); "?" for a value that is
// none of them.
constexpr std::string_view xml_kind_name(xml_kind kind) {
    switch (kind) {
        case xml_kind::none:
            return "none";
        case xml_kind::start_tag:
            return "start_tag";
        case xml_kind::end_tag:
            return "end_tag";
        case xml_kind::empty_tag:
            return "empty_tag";
        case xml_kind::declaration:
            return "declaration";
        case xml_kind::comment:
            return "comment";
        case xml_kind::cdata:
            return "cdata";
        case xml_kind::doctype:
            return "doctype";
        case xml_kind::element_declaration:
            return "element_declaration";
        case xml_kind::attlist_declaration:
            return "attlist_declaration";
        case xml_kind::entity_declaration:
            return "entity_declaration";
        case xml_kind::processing_instruction:
            return "processing_instruction";
        case xml_kind::server_script:
            return "server_script";
        case xml_kind::hash_construct:
            return "hash_construct";
        case xml_kind::directive:
            return "directive";
        case xml_kind::unknown:
            return "unknown";
        case xml_kind::text:
            return "text";
        case xml_kind::folded:
            return "folded";
    }
    return "?";
}
