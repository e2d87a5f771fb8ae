#include "driver/build_state.h"

#include "core/page_size_limit.h"
#include "html/vthtml.h"
#include "toc/page_line_end.h"
#include "toc/toc_writer.h"

bool build_state::begin(const std::vector<std::string_view>& outputs,
                        const std::vector<std::string_view>& listed) {
    std::string_view held;
    if (!files.lock_against_other_runs(outputs, held)) {
        fail(vtfile_error::held, held);
        return false;
    }
    files.remove_leftovers(outputs, listed);
    files.expect_reads(outputs);
    return true;
}

int build_state::read_page(std::string_view path, xml_tree& document, build_progress* page_scale) {
    if (cancelled()) return fail(cancelled_text);
    if (pages_) pages_(path, context_);
    document.add_leading_empty_node();
    file_staging::page_source source;
    vtfile_error why = vtfile_error::none;
    if (!files.open_page(path, source, why)) return fail(why, path);
    return read_html(source.file, path, document, error,
                     {page_scale ? build_progress::forward : nullptr, page_scale, source.hash});
}

int build_state::write_page(std::string_view path, const xml_tree& document,
                            const toc_placement& placement, const toc_rendering* rendering) {
    if (cancelled()) return fail(cancelled_text);
    staged_file file;
    if (!files.open(path, file)) return fail(file.error(), path);
    file.set_size_limit(page_size_limit);
    if (rendering && !rendering->renderer.is_open() &&
        !rendering->renderer.open(rendering->template_path))
        return fail(template_error_message(rendering->template_path));
    bool rendered = true;
    const bool written = write_with_toc(
        document, placement,
        [&](const toc_sink& put) {
            if (rendering)
                rendered =
                    rendering->renderer.render(rendering->toc, rendering->start, put,
                                               page_line_end(document, placement), rendering->end);
            return rendered;
        },
        file);
    // The page stays as it is when its TOC cannot be made.
    if (!rendered) return fail(template_error_message(rendering->template_path));
    if (!written || !files.finish(file, path)) return fail(file.error(), path);
    return 0;
}

int build_state::commit() {
    if (cancelled()) return fail(cancelled_text);
    if (pages_ && files.policy() == write_policy::commit) pages_({}, context_);
    std::string_view path;
    vtfile_error why = vtfile_error::none;
    return files.commit(path, why) ? 0 : fail(why, path);
}

int build_state::fail(std::string_view message) {
    error = message;
    return 1;
}

int build_state::fail(vtfile_error why, std::string_view path) {
    error = vtfile_error_message(why, path);
    return 1;
}

vtstring template_error_message(std::string_view path) {
    vtstring message("Can't open template file: ");
    message.append(path);
    return message;
}
