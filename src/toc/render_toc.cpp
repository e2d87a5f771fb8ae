#include "toc/render_toc.h"

#include <cstdint>
#include <string>
#include <vector>

#include "core/vtfile.h"
#include "template/vti.h"
#include "template/vti_variables.h"

namespace {

constexpr std::string_view kStartMarker = "<!--VELT_HTML_TOC_START-->";
constexpr std::string_view kEndMarker = "<!--VELT_HTML_TOC_END-->";
constexpr std::string_view kComment =
    "\r\n<!--\r\nTOC is created by VELT Orvane.\r\nProject home: https://orvane.org/\r\n"
    "*Do not edit or delete* start and end tags wrapped within HTML comments.\r\n"
    "If you need to edit TOC, just regenerate it using the same project.\r\n-->\r\n";
constexpr int32_t kChunkSize = 16384;

// The TOC as the flat list of events that templates loop over: one event when
// an item opens and one when an item with sub-items closes. Each variable
// holds one value per event.
class event_lists {
  public:
    event_lists(vti_variables& variables, const vtstring& indent)
        : item_(variables["item"]),
          text_(variables["text"]),
          link_(variables["link"]),
          open_(variables["open"]),
          numbering_(variables["numbering"]),
          level_(variables["level"]),
          indentation_(variables["indentation"]),
          children_(variables["children"]),
          indent_(indent) {}

    void opening(const toc_node& item, int32_t depth) {
        common(depth);
        text_.push_back(vtval(item.text));
        link_.push_back(vtval(item.link));
        numbering_.push_back(vtval(item.numbering));
        open_.push_back(vtval(1));
        children_.push_back(vtval::make_bool(item.first_child != nullptr));
    }
    // Only items with sub-items are closed.
    void closing(int32_t depth) {
        common(depth);
        text_.push_back(vtval(""));
        link_.push_back(vtval(""));
        numbering_.push_back(vtval(""));
        open_.push_back(vtval(0));
        children_.push_back(vtval::make_bool(true));
    }

  private:
    void common(int32_t depth) {
        item_.push_back(vtval(++count_));
        level_.push_back(vtval(depth));
        indentation_.push_back(vtval(indentation(depth)));
    }
    // The indent unit repeated depth times, made once per depth.
    const vtstring& indentation(int32_t depth) {
        while (static_cast<int32_t>(by_depth_.size()) <= depth) {
            vtstring next = by_depth_.empty() ? vtstring() : by_depth_.back();
            if (!by_depth_.empty()) next.append(indent_.view());
            by_depth_.push_back(std::move(next));
        }
        return by_depth_[static_cast<size_t>(depth)];
    }

    vtarr& item_;
    vtarr& text_;
    vtarr& link_;
    vtarr& open_;
    vtarr& numbering_;
    vtarr& level_;
    vtarr& indentation_;
    vtarr& children_;
    const vtstring& indent_;
    std::vector<vtstring> by_depth_;
    int32_t count_ = 0;
};

// A walk in document order from start_item to the end of the tree. Every
// ancestor is closed on the way up, also those of start_item, which were
// never opened.
void make_events(const toc_tree& toc, const toc_node* start_item, vti_variables& variables) {
    event_lists events(variables, toc.indent);
    int32_t depth = toc_tree::depth(start_item);
    const toc_node* item = start_item;
    while (item) {
        events.opening(*item, depth);
        if (item->first_child) {
            ++depth;
            item = item->first_child;
            continue;
        }
        const toc_node* at = item;
        while (!at->next && at->parent) {
            at = at->parent;
            --depth;
            events.closing(depth);
        }
        item = at->next;
    }
}

// Streams the template through the engine. False when a read fails.
bool run_template(int file, const vti_variables& variables, std::vector<std::string>& out) {
    vti engine(variables);
    vtstring chunk;
    for (;;) {
        const int32_t n = vtfile_read(file, chunk, kChunkSize);
        if (n < 0 && n != VTFILE_ERR_EOF) return false;
        if (n > 0)
            engine.add(chunk.view());
        else
            engine.mark_end();
        const int result = engine.process();
        engine.take_output(out);
        if (result != 0) return true;
    }
}

}  // namespace

int render_toc(const toc_tree& toc, vtarr& output, const toc_node* start_item,
               std::string_view template_path) {
    const int file = vtfile_open(template_path, "r");
    if (file == VTFILE_INVALID) return RENDER_TOC_NO_TEMPLATE;
    std::vector<std::string> rendered;
    if (start_item) {
        vti_variables variables;
        make_events(toc, start_item, variables);
        // A template that cannot be read to its end gives no TOC rather than
        // a truncated one.
        if (!run_template(file, variables, rendered)) {
            vtfile_close(file);
            return RENDER_TOC_NO_TEMPLATE;
        }
    }
    vtfile_close(file);
    output.push_back(vtval(kStartMarker));
    output.push_back(vtval(kComment));
    for (const std::string& piece : rendered) output.push_back(vtval(std::string_view(piece)));
    output.push_back(vtval(kEndMarker));
    return 0;
}
