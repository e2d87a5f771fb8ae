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

// Fills one variable with a value per event. Lists are filled one after the
// other, so that each one's strings lie together in memory: making and
// freeing 100,000 events' worth of values then costs a fraction of what it
// costs interleaved.
template <class F>
void fill(vtarr& list, const std::vector<toc_event>& events, F value) {
    for (const toc_event& e : events) list.push_back(value(e));
}

// The variables that templates read: one list per property of the events.
void make_variables(const toc_tree& toc, const std::vector<toc_event>& events,
                    vti_variables& vars) {
    int32_t number = 0;
    fill(vars["item"], events, [&](const toc_event&) { return vtval(++number); });
    fill(vars["text"], events,
         [](const toc_event& e) { return e.item ? vtval(e.item->text) : vtval(""); });
    fill(vars["link"], events,
         [](const toc_event& e) { return e.item ? vtval(e.item->link) : vtval(""); });
    fill(vars["open"], events, [](const toc_event& e) { return vtval(e.item ? 1 : 0); });
    fill(vars["numbering"], events,
         [](const toc_event& e) { return e.item ? vtval(e.item->numbering) : vtval(""); });
    fill(vars["level"], events, [](const toc_event& e) { return vtval(e.level); });
    // The indent unit repeated level times, made once per level.
    std::vector<vtstring> indentation(1);
    fill(vars["indentation"], events, [&](const toc_event& e) {
        while (static_cast<int32_t>(indentation.size()) <= e.level) {
            vtstring deeper = indentation.back();
            deeper.append(toc.indent.view());
            indentation.push_back(std::move(deeper));
        }
        return vtval(indentation[static_cast<size_t>(e.level)]);
    });
    // Only items with sub-items are closed.
    fill(vars["children"], events, [](const toc_event& e) {
        return vtval::make_bool(!e.item || e.item->first_child != nullptr);
    });
}

// Streams the template through the engine. False when a read fails.
bool run_template(int file, const vti_variables& variables, std::vector<vtstring>& out) {
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
    std::vector<vtstring> rendered;
    if (start_item) {
        vti_variables variables;
        make_variables(toc, walk(start_item), variables);
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
    for (vtstring& piece : rendered) {
        // The engine's strings become the values without being copied.
        vtval value{std::string_view()};
        value.str().take(piece);
        output.push_back(std::move(value));
    }
    output.push_back(vtval(kEndMarker));
    return 0;
}
