// vthtml: the lenient HTML reader. Fills a document tree whose node sources,
// written in order, give back the input byte for byte.
//
// Recognised: start tags, end tags, comments ("<!--" up to the first '>') and
// directive comments ("<!--#" up to "-->"); everything else stays in text
// nodes. Names are lower-cased (ASCII); nothing is decoded or repaired. An
// end tag closes the nearest open element of its name on the way up; elements
// passed over stay open, and an end tag that matches nothing stays an open
// node where it stands.
//
// The reader stores its input chunks in the tree's memory, so node sources
// are views into the input; only a token that spans two chunks is copied.
// Input added in place is the tree's already and is never copied; only such
// input can be folded (html_fold.h).
#pragma once

#include <string_view>

#include "files/file_state.h"
#include "files/vtfile_handle.h"
#include "html/html_fold.h"
#include "html/open_name_counts.h"
#include "html/vtsgml.h"
#include "html/xml_node.h"

class vthtml : public vtsgml {
  public:
    // Nodes go to the top level of tree after whatever it holds already.
    explicit vthtml(xml_tree& tree);

    // Copies the chunk into the tree's memory.
    void add(std::string_view chunk) override;
    // Reads a chunk that lies in memory the tree owns, right after the chunk
    // added in place before it (if any): nothing is copied.
    void add_in_place(std::string_view chunk);
    // Folds what rules allow from now on, as long as all input is added in
    // place (a chunk added by copy ends the folding).
    void fold_by(fold_rules rules) { rules_ = rules; }

    // Sets a tokenizer to cut input into the tokens this reader reads.
    static void cut_like_html(vtsgml& tokenizer);
    // The name of a start or end tag (source: from '<' through '>') as this
    // reader keeps it: lower case, a view into source or else into scratch.
    // A start tag that takes no end tag turns kind into empty_tag.
    static std::string_view tag_name(xml_kind& kind, std::string_view source, vtstring& scratch);
    // Reads a token that such a tokenizer cut from input added here in
    // place, in order, as run() would: instead of running this reader.
    int take(xml_kind kind, std::string_view bytes) {
        return kind == xml_kind::text ? on_text(bytes) : on_markup(kind, bytes);
    }
    // The same for a tag whose kind and name tag_name gave; name is its
    // number in the tree (xml_tree::name_number).
    int take_tag(xml_kind kind, std::string_view bytes, uint32_t name);

  protected:
    int on_text(std::string_view bytes) override;
    int on_markup(xml_kind kind, std::string_view bytes) override;

  private:
    std::string_view keep_token(std::string_view bytes);
    // A markup token that is no text, its name known (0: none).
    void add_markup(xml_kind kind, std::string_view source, uint32_t name);
    // name: its number in the tree (xml_tree::name_number), 0 for none.
    xml_node* make_tag(xml_kind kind, std::string_view source, uint32_t name);
    void place(xml_node* node);
    void close_by_end_tag(std::string_view source, uint32_t name);
    void push_open(xml_node* element);
    // The element, whose bytes end at end, leaves the way up: closed by an
    // end tag or passed over.
    void pop(xml_node* element, const char* end);
    // Marks on a node from its rule; a kept node that is no element keeps
    // the element it stands in at once.
    void mark(xml_node* node);
    bool folding() const;
    static bool foldable_leaf(const xml_node* node);
    void fold(xml_node* element, const char* end);
    void fold_into(xml_node* before, xml_node* node);
    void join_leaf(xml_node* leaf);
    void join_with_earlier(xml_node* folded);

    xml_tree& tree_;
    fold_rules rules_ = nullptr;
    // Input added in place: where the next token's bytes begin.
    const char* next_byte_ = nullptr;
    bool in_place_ = false;
    // Open elements whose content never folds.
    int32_t holding_ = 0;
    // Where the next node goes: the last child of parent_ (top level when
    // null). Its ancestors are exactly the open elements an end tag may close.
    xml_node* parent_ = nullptr;
    // How many elements on the parent_ chain carry each name, so that an end
    // tag that matches nothing costs no walk.
    open_name_counts open_names_;
    vtstring scratch_;
};

// Reads the HTML file at path into tree (after what it holds) in 16,384-byte
// reads, reporting progress percentages when progress is given. The file is
// opened as vtfile_open_rewritten does with trusted links only. Returns 0; 1
// with "Can't open source file: " + path when the file cannot be opened or a
// read fails (a page read in part never passes for a whole one), or with the
// message of a refused link or backup; 1 with "Can't read UTF-16 or UTF-32
// file: " + path for such a page; or the reader's failing result: 1 with
// "Page is too large: " + path for a file of page_size_limit bytes or more,
// else with "Memory error occurred".
int read_html_file(std::string_view path, xml_tree& tree, vtstring& error,
                   void (*progress)(int percent, void* context), void* context);

// About how many nodes a page of bytes gives, read with rules: a node every
// dozen bytes, every eighty or so once folded.
size_t html_nodes_for(size_t bytes, fold_rules rules);

struct html_read_options {
    void (*progress)(int percent, void* context) = nullptr;
    void* context = nullptr;
    // Receives every byte read, when given.
    content_hash* hash = nullptr;
    // What may be folded (html_fold.h); nothing when none.
    fold_rules rules = nullptr;
};
// The reading of read_html_file from a file opened by the caller (read from
// its current position), naming path in messages.
int read_html(const vtfile_handle& file, std::string_view path, xml_tree& tree, vtstring& error,
              html_read_options options);
