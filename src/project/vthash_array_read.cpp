// Reading tagged settings files.
#include <cstddef>

#include "files/vtfile.h"
#include "html/vtxml.h"
#include "project/vthash_array.h"

namespace {

// Settings files are read in pieces of this size.
constexpr int32_t piece_size = 8092;

// An element whose content is exactly one text node and its end tag adds that
// text; everything else adds nothing for itself (nesting is flattened).
void collect(const xml_tree& tree, vthash_array& settings) {
    for (const xml_node* n = tree.first(); n; n = xml_tree::next(n)) {
        if (n->kind != xml_kind::start_tag || xml_tree::child_count(n) != 2) continue;
        const xml_node* text = n->first_child;
        if (text->kind == xml_kind::text && text->next->kind == xml_kind::end_tag)
            settings.add(n->name, vtval(text->text()));
    }
}

// Runs the tagged reader over the pieces that next_piece hands out (an empty
// piece ends the input) and collects the values on success.
template <class NextPiece>
bool read_pieces(NextPiece next_piece, vthash_array& settings, vtstring& error) {
    xml_tree tree;
    vtxml reader(tree);
    int r = 0;
    for (std::string_view piece = next_piece(); !piece.empty(); piece = next_piece()) {
        reader.add(piece);
        r = reader.run();
        if (r != 0) break;
    }
    if (r == 0) {
        reader.set_input_complete();
        r = reader.run();
        if (r == 2) {
            collect(tree, settings);
            return true;
        }
    }
    error = error_text(reader, r);
    return false;
}

}  // namespace

bool vthash_array::parse(std::string_view bytes, vtstring& error) {
    size_t at = 0;
    auto next_piece = [&] {
        std::string_view piece = bytes.substr(at, piece_size);
        at += piece.size();
        return piece;
    };
    return read_pieces(next_piece, *this, error);
}

bool vthash_array::read(std::string_view file_name, vtstring& error, const file_check& check) {
    vtfile_error why;
    const vtfile_handle file = vtfile_open_rewritten(file_name, vtfile_links::any, why);
    if (!file.is_open()) {
        error = "Can't open file ";
        error.append(file_name);
        return false;
    }
    // Judged by the descriptor the bytes come from, so the file judged is the
    // file read, whatever happens to the name meanwhile.
    if (check) {
        vtstring refused = check(file.get());
        if (!refused.empty()) {
            error = refused;
            return false;
        }
    }
    vtstring piece;
    bool read_failed = false;
    auto next_piece = [&] {
        int32_t n = file.read(piece, piece_size);
        read_failed = read_failed || n < 0;
        return n > 0 ? piece.view() : std::string_view();
    };
    bool ok = read_pieces(next_piece, *this, error);
    if (ok && read_failed) {
        // A file that breaks off with a read error is not taken as complete.
        clear();
        error = "Can't open file ";
        error.append(file_name);
        return false;
    }
    return ok;
}
