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

// A template up to this size is read once and rendered from memory as
// often as asked; a bigger one is read from its file for each rendering.
constexpr size_t kHeldLimit = 1 << 20;

// Runs the engine over the template's pieces, handed out by next (false at
// the end). False when a read fails.
template <class next_piece>
bool run_template(const vti_variables& variables, const toc_sink& put, next_piece next) {
    vti engine(variables);
    engine.set_output_sink(put);
    std::string_view piece;
    std::vector<vtstring> out;
    for (;;) {
        const int32_t n = next(piece);
        if (n < 0 && n != VTFILE_ERR_EOF) return false;
        if (n > 0)
            engine.add(piece);
        else
            engine.mark_end();
        const int result = engine.process();
        engine.take_output(out);
        for (const vtstring& text : out) put(text.view());
        out.clear();
        if (result != 0) return true;
    }
}

// Renders from the template's bytes in memory.
bool run_held(std::string_view bytes, const vti_variables& variables, const toc_sink& put) {
    size_t at = 0;
    return run_template(variables, put, [&](std::string_view& piece) {
        piece = bytes.substr(at, kChunkSize);
        at += piece.size();
        return static_cast<int32_t>(piece.size());
    });
}

// Renders streaming the template from its file, which is then closed: the
// next rendering opens it again.
bool run_streamed(vtfile_handle& file, const std::string& path, const vti_variables& variables,
                  const toc_sink& put) {
    if (!file.is_open()) file = vtfile_handle::open(path, "r");
    if (!file.is_open()) return false;
    vtstring chunk;
    const bool done = run_template(variables, put, [&](std::string_view& piece) {
        const int32_t n = file.read(chunk, kChunkSize);
        piece = chunk.view();
        return n;
    });
    file.reset();
    return done;
}

}  // namespace

bool toc_renderer::open(std::string_view template_path) {
    path_ = template_path;
    held_ = false;
    bytes_.clear();
    file_ = vtfile_handle::open(template_path, "r");
    if (!file_.is_open()) return false;
    vtstring chunk;
    for (;;) {
        const int32_t n = file_.read(chunk, kChunkSize);
        if (n <= 0) {
            // A read error shows again when the template is streamed.
            held_ = n == VTFILE_ERR_EOF || n == 0;
            break;
        }
        bytes_.append(chunk.view());
        if (bytes_.size() > kHeldLimit) break;
    }
    if (held_) {
        file_.reset();
        return true;
    }
    bytes_.clear();
    bytes_.shrink_to_fit();
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
        const bool done = held_ ? run_held(bytes_, made.variables(), put)
                                : run_streamed(file_, path_, made.variables(), put);
        if (!done) return false;
    }
    put(kEndMarker);
    return true;
}
