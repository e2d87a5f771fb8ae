// vtxml: the strict tagged-text reader of the tool's own settings files.
//
// Names keep their case; text and attribute values are decoded (numeric then
// named references); a CDATA section becomes a text node with its content as
// text. Every input chunk has its line ends made LF: CR LF and a lone CR both
// become LF, also when a CR LF pair is split between two chunks.
// An end tag must close the last element or its parent (10000 otherwise);
// a start tag left open at the end gives 10001.
#pragma once

#include <string_view>

#include "core/vthash.h"
#include "html/vtsgml.h"
#include "html/xml_node.h"

class vtxml : public vtsgml {
  public:
    explicit vtxml(xml_tree& tree);

    // Normalises the chunk's line ends and stores it in the tree's memory.
    void add(std::string_view chunk) override;

    // The named entities (amp, lt, gt, apos, quot) and the switch that
    // lower-cases a reference's name before the lookup (off).
    vthash& entities() { return entities_; }
    void set_fold(bool fold) { fold_ = fold; }
    bool fold() const { return fold_; }

  protected:
    int finish() override;
    int on_text(std::string_view bytes) override;
    int on_markup(xml_kind kind, std::string_view bytes) override;

  private:
    std::string_view keep_token(std::string_view bytes);
    std::string_view decoded(std::string_view raw);
    void place(xml_node* node);
    void start_element(xml_node* node, std::string_view inner);
    int end_element(xml_node* end_tag);

    xml_tree& tree_;
    vthash entities_;
    bool fold_ = false;
    // The previous chunk ended in CR: a LF opening this one belongs to it.
    bool after_cr_ = false;
    xml_node* parent_ = nullptr;
    xml_node* last_ = nullptr;
    // The last end tag that closed an element, and that element.
    xml_node* last_end_tag_ = nullptr;
    xml_node* last_closed_ = nullptr;
    // Start tags placed and not yet closed.
    int64_t open_count_ = 0;
    vtstring scratch_;
};
