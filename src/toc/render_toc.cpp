#include "toc/render_toc.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

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

// One event of the TOC: an item opens, or an item with sub-items closes.
struct toc_event {
    const toc_node* item;  // null for a closing event
    int32_t level;
};

// A walk in document order from start_item to the end of the tree. Every
// ancestor is closed on the way up, also those of start_item, which were
// never opened.
std::vector<toc_event> walk(const toc_node* start_item) {
    std::vector<toc_event> events;
    int32_t depth = toc_tree::depth(start_item);
    const toc_node* item = start_item;
    while (item) {
        events.push_back({item, depth});
        if (item->first_child) {
            ++depth;
            item = item->first_child;
            continue;
        }
        const toc_node* at = item;
        while (!at->next && at->parent) {
            at = at->parent;
            --depth;
            events.push_back({nullptr, depth});
        }
        item = at->next;
    }
    return events;
}

enum class event_field { item, text, link, open, numbering, level, indentation, children };

// One variable of the templates: a property of every event, made when the
// engine reads it.
class event_variable : public vti_list_maker {
  public:
    event_variable(const std::vector<toc_event>& events, const vtstring& indent, event_field field)
        : events_(events), indent_(indent), field_(field) {}

    int32_t count() const override { return static_cast<int32_t>(events_.size()); }

    const vtval& value(int32_t index) const override {
        const toc_event& e = events_[static_cast<size_t>(index)];
        switch (field_) {
            case event_field::item:
                value_ = vtval(index + 1);
                break;
            case event_field::text:
                set_text(e.item ? e.item->text.view() : std::string_view());
                break;
            case event_field::link:
                set_text(e.item ? e.item->link.view() : std::string_view());
                break;
            case event_field::open:
                value_ = vtval(e.item ? 1 : 0);
                break;
            case event_field::numbering:
                set_text(e.item ? e.item->numbering.view() : std::string_view());
                break;
            case event_field::level:
                value_ = vtval(e.level);
                break;
            case event_field::indentation:
                set_text(indentation(e.level));
                break;
            case event_field::children:
                // Only items with sub-items are closed.
                value_ = vtval::make_bool(!e.item || e.item->first_child != nullptr);
                break;
        }
        return value_;
    }

  private:
    // A string value, its storage reused from read to read.
    void set_text(std::string_view text) const { value_.str().assign(text); }
    // The indent unit repeated level times, made once per level.
    std::string_view indentation(int32_t level) const {
        if (indentations_.empty()) indentations_.emplace_back();
        while (static_cast<int32_t>(indentations_.size()) <= level) {
            vtstring deeper = indentations_.back();
            deeper.append(indent_.view());
            indentations_.push_back(std::move(deeper));
        }
        return indentations_[static_cast<size_t>(level)].view();
    }

    const std::vector<toc_event>& events_;
    const vtstring& indent_;
    event_field field_;
    mutable vtval value_;
    mutable std::vector<vtstring> indentations_;
};

struct event_variables {
    event_variables(const toc_tree& toc, const std::vector<toc_event>& events) {
        const std::pair<const char*, event_field> names[] = {
            {"item", event_field::item},
            {"text", event_field::text},
            {"link", event_field::link},
            {"open", event_field::open},
            {"numbering", event_field::numbering},
            {"level", event_field::level},
            {"indentation", event_field::indentation},
            {"children", event_field::children},
        };
        for (const auto& [name, field] : names) {
            const event_variable& made = makers.emplace_back(events, toc.indent, field);
            variables.emplace(name, vti_list(made));
        }
    }
    std::deque<event_variable> makers;
    vti_variables variables;
};

// Streams the template through the engine. False when a read fails.
bool run_template(int file, const vti_variables& variables, const toc_sink& put) {
    vti engine(variables);
    vtstring chunk;
    std::vector<vtstring> out;
    for (;;) {
        const int32_t n = vtfile_read(file, chunk, kChunkSize);
        if (n < 0 && n != VTFILE_ERR_EOF) return false;
        if (n > 0)
            engine.add(chunk.view());
        else
            engine.mark_end();
        const int result = engine.process();
        engine.take_output(out);
        for (const vtstring& piece : out) put(piece.view());
        out.clear();
        if (result != 0) return true;
    }
}

}  // namespace

toc_renderer::~toc_renderer() {
    vtfile_close(file_);
}

bool toc_renderer::open(std::string_view template_path) {
    vtfile_close(file_);
    file_ = vtfile_open(template_path, "r");
    return file_ != VTFILE_INVALID;
}

bool toc_renderer::render(const toc_tree& toc, const toc_node* start_item, const toc_sink& put) {
    put(kStartMarker);
    put(kComment);
    if (start_item) {
        const std::vector<toc_event> events = walk(start_item);
        const event_variables made(toc, events);
        if (!run_template(file_, made.variables, put)) return false;
    }
    put(kEndMarker);
    return true;
}

int render_toc(const toc_tree& toc, vtarr& output, const toc_node* start_item,
               std::string_view template_path) {
    toc_renderer renderer;
    if (!renderer.open(template_path)) return RENDER_TOC_NO_TEMPLATE;
    // A template that cannot be read to its end gives no TOC rather than a
    // truncated one.
    vtarr rendered;
    if (!renderer.render(toc, start_item,
                         [&](std::string_view piece) { rendered.push_back(vtval(piece)); }))
        return RENDER_TOC_NO_TEMPLATE;
    for (const vtval& piece : rendered) output.push_back(piece);
    return 0;
}
