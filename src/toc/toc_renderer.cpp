#include "toc/toc_renderer.h"

#include <cstdint>
#include <string>
#include <vector>

#include "files/vtfile.h"
#include "template/vti.h"
#include "toc/page_line_end.h"
#include "toc/toc_events.h"

namespace {

constexpr std::string_view kStartMarker = "<!--VELT_HTML_TOC_START-->";
constexpr std::string_view kEndMarker = "<!--VELT_HTML_TOC_END-->";
constexpr std::string_view kComment =
    "\r\n<!--\r\nTOC is created by VELT Orvane.\r\nProject home: https://orvane.org/\r\n"
    "*Do not edit or delete* start and end tags wrapped within HTML comments.\r\n"
    "If you need to edit TOC, just regenerate it using the same project.\r\n-->\r\n";
constexpr int32_t kChunkSize = 16384;

// Streams the template through the engine. False when a read fails.
bool run_template(const vtfile_handle& file, const vti_variables& variables, const toc_sink& put) {
    vti engine(variables);
    engine.set_output_sink(put);
    vtstring chunk;
    std::vector<vtstring> out;
    for (;;) {
        const int32_t n = file.read(chunk, kChunkSize);
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

bool toc_renderer::open(std::string_view template_path) {
    file_ = vtfile_handle::open(template_path, "r");
    return file_.is_open();
}

bool toc_renderer::render(const toc_tree& toc, const toc_node* start_item, const toc_sink& put,
                          std::string_view line_end, const toc_node* end_item) {
    if (!line_end.empty()) {
        line_end_sink lines(put, line_end);
        const bool done = render(
            toc, start_item, [&](std::string_view piece) { lines(piece); }, {}, end_item);
        lines.finish();
        return done;
    }
    put(kStartMarker);
    put(kComment);
    if (start_item) {
        const toc_variables made(toc, start_item, end_item);
        if (!run_template(file_, made.variables(), put)) return false;
    }
    put(kEndMarker);
    return true;
}
