#include "driver/build_state.h"

#include "core/page_size_limit.h"
#include "driver/page_cache_keys.h"
#include "files/vtfile_path.h"
#include "html/vthtml.h"
#include "toc/page_line_end.h"
#include "toc/toc_writer.h"

namespace {

// The size of an opened page: the one seen when it was opened, or asked.
double page_size(const file_staging::page_source& source) {
    return source.size >= 0 ? static_cast<double>(source.size) : source.file.size().to_real();
}

// Reads an opened page whole (read_page_bytes), and tells the staging what
// it read when it asks.
int read_whole(file_staging::page_source& source, std::string_view path, page_bytes& bytes,
               vtstring& error) {
    const int result = ::read_page_bytes(source.file, path, bytes, source.hash, error, source.size,
                                         source.size_sure);
    if (result == 0 && source.state)
        source.state->took(static_cast<int64_t>(bytes.length), bytes.digest);
    return result;
}

// Reads an opened page into document. A page of known size below
// cached_page_limit is read whole, in one call, and parsed where it lies
// (the document keeps the bytes); a larger one, or one that was not
// measured, is parsed as it streams in.
int read_into(file_staging::page_source& source, std::string_view path, xml_tree& document,
              vtstring& error, void (*progress)(int percent, void* context), void* context,
              bool split = false) {
    if (source.size < 0 || static_cast<double>(source.size) >= cached_page_limit)
        return read_html(source.file, path, document, error,
                         {progress, context, source.hash, page_fold_rules()});
    page_bytes bytes;
    const int result = read_whole(source, path, bytes, error);
    return result != 0 ? result
                       : parse_page_bytes(bytes, path, document, error, progress, context,
                                          page_fold_rules(), split);
}

// Puts the TOC of rendering into a page being written, with the page's
// line end.
bool render_into(const toc_rendering& rendering, const toc_sink& put, const xml_tree& document,
                 const toc_placement& placement) {
    const std::string_view line_end = page_line_end(document, placement);
    if (!rendering.ahead)
        return rendering.renderer.render(rendering.toc, rendering.start, put, line_end,
                                         rendering.end);
    if (!rendering.ahead->rendered()) return false;
    line_end_sink lines(put, line_end);
    lines(rendering.ahead->text().view());
    lines.finish();
    return true;
}

}  // namespace

bool build_state::begin(const std::vector<std::string_view>& outputs,
                        const std::vector<std::string_view>& listed) {
    // Every file is named and looked at here, before any other thread reads.
    files.refs().add(listed);
    files.read_whole_below(static_cast<int64_t>(cached_page_limit));
    std::string_view held;
    vtfile_error why = vtfile_error::none;
    if (!files.lock_against_other_runs(outputs, held, why)) {
        fail(why, held);
        return false;
    }
    files.remove_leftovers(outputs, listed);
    files.expect_reads(outputs);
    return true;
}

int build_state::announce_read(std::string_view path) {
    if (cancelled()) return fail(cancelled_text);
    if (pages_) pages_(path, context_);
    return 0;
}

int build_state::read_page(std::string_view path, xml_tree& document, build_progress* page_scale,
                           early_read* whole) {
    if (announce_read(path) != 0) return 1;
    file_staging::page_source source;
    vtfile_error why = vtfile_error::none;
    {
        const std::lock_guard lock(files_mutex_);
        if (!files.open_page(path, source, why)) return fail(why, path);
    }
    int result;
    if (whole && page_size(source) < cached_page_limit) {
        whole->whole = true;
        result = read_whole(source, path, whole->bytes, error);
    } else {
        document.add_leading_empty_node();
        result =
            read_into(source, path, document, error, page_scale ? build_progress::forward : nullptr,
                      page_scale, split_parses);
    }
    if (result == 0) {
        const std::lock_guard lock(files_mutex_);
        files.done_reading(path, source);
    }
    return result;
}

void build_state::open_early(std::string_view path, early_read& read) {
    // A wait for another program keeps no other thread of the run waiting.
    file_staging::reached_page page;
    if (!files.reach_page(path, page, read.why)) return;
    const std::lock_guard lock(files_mutex_);
    read.opened = files.take_page(page, read.source, read.why);
}

void build_state::read_opened(std::string_view path, size_t index, xml_tree& document,
                              early_read& read) const {
    if (!read.opened) return;
    const auto record = [](int percent, void* to) {
        static_cast<std::vector<int>*>(to)->push_back(percent);
    };
    if (caches(index) && page_size(read.source) < cached_page_limit) {
        read.whole = true;
        read.result = read_whole(read.source, path, read.bytes, read.error);
        if (read.result != 0) return;
        read.found = cached(path, read.bytes, read.key);
        if (read.found) return;
        document.add_leading_empty_node();
        read.result = parse_page_bytes(read.bytes, path, document, read.error, record,
                                       &read.progress, page_fold_rules());
        return;
    }
    document.add_leading_empty_node();
    read.result = read_into(read.source, path, document, read.error, record, &read.progress);
}

const cached_page* build_state::cached(std::string_view path, const page_bytes& bytes,
                                       hash128& key) const {
    key = page_key(cache_digest, normal_path(path), bytes);
    return cache->find(key);
}

std::string build_state::normal_path(std::string_view path) const {
    const page_ref* ref = files.refs().find(path);
    return ref ? ref->normal : vtfile_normal_path(path);
}

int build_state::keep_page(std::string_view path) {
    if (cancelled()) return fail(cancelled_text);
    staged_file file;
    const std::lock_guard lock(files_mutex_);
    return files.open(path, file) ? 0 : fail(file.error(), path);
}

int build_state::take_read(std::string_view path, early_read& read, build_progress* page_scale) {
    if (announce_read(path) != 0) return 1;
    if (read.ready && !read.ready()) return 1;
    if (!read.opened) return fail(read.why, path);
    if (read.result == 0) {
        const std::lock_guard lock(files_mutex_);
        files.done_reading(path, read.source);
    }
    if (page_scale)
        for (int percent : read.progress) page_scale->report(percent);
    if (read.result != 0) error = read.error;
    return read.result;
}

int build_state::write_page(std::string_view path, const xml_tree& document,
                            const toc_placement& placement, const toc_rendering* rendering,
                            deferred_write* later) {
    if (cancelled()) return fail(cancelled_text);
    staged_file own;
    staged_file& file = later ? later->file : own;
    {
        const std::lock_guard lock(files_mutex_);
        if (!files.open(path, file)) return fail(file.error(), path);
    }
    file.set_size_limit(page_size_limit);
    if (rendering && !rendering->ahead && !rendering->renderer.is_open() &&
        !rendering->renderer.open(rendering->template_path))
        return fail(template_error_message(rendering->template_path));
    if (later) {
        later->path = path;
        later->document = &document;
        later->placement = placement;
        if (rendering) {
            later->template_path = rendering->template_path;
            // Only a page with a place for its TOC would have it rendered.
            if (placement.insertion_point)
                later->rendered = render_into(
                    *rendering, [&](std::string_view piece) { later->toc_text.append(piece); },
                    document, placement);
        }
        return 0;
    }
    bool rendered = true;
    const bool written = write_with_toc(
        document, placement,
        [&](const toc_sink& put) {
            if (rendering) rendered = render_into(*rendering, put, document, placement);
            return rendered;
        },
        file);
    return finish_write(path, file, written, rendered, rendering ? rendering->template_path : "");
}

void build_state::write_deferred(deferred_write& later) {
    later.written = write_with_toc(
        *later.document, later.placement,
        [&](const toc_sink& put) {
            if (!later.toc_text.empty()) put(later.toc_text.view());
            later.toc_failed = !later.rendered;
            return later.rendered;
        },
        later.file);
}

int build_state::finish_write(deferred_write& later) {
    return finish_write(later.path, later.file, later.written, !later.toc_failed,
                        later.template_path);
}

int build_state::finish_write(std::string_view path, staged_file& file, bool written, bool rendered,
                              std::string_view template_path) {
    // The page stays as it is when its TOC cannot be made.
    if (!rendered) return fail(template_error_message(template_path));
    bool finished = false;
    if (written && file_staging::write_last(file)) {
        const std::lock_guard lock(files_mutex_);
        finished = files.finish(file, path);
    }
    return finished ? 0 : fail(file.error(), path);
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
