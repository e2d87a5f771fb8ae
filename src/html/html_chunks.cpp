#include "html/html_chunks.h"

#include "core/memory_error_text.h"
#include "files/vtfile_error.h"
#include "html/html_token_stream.h"
#include "html/text_encoding.h"

bool refuse_wide_page(std::string_view first, std::string_view path, vtstring& error) {
    if (!is_utf16_or_utf32(first)) return false;
    error = "Can't read UTF-16 or UTF-32 file: ";
    error += path;
    return true;
}

int html_chunks::add(std::string_view chunk) {
    if (std::exchange(first_, false) && refuse_wide_page(chunk, path_, error_)) return 1;
    if (memory_ == in_place)
        reader_.add_in_place(chunk);
    else
        reader_.add(chunk);
    const int result = reader_.run();
    if (result == VTSGML_MORE) return 0;
    error_ = reader_.size_exceeded() ? vtfile_error_message(vtfile_error::too_large, path_)
                                     : vtstring(memory_error_text);
    return result;
}

int html_chunks::finish() {
    reader_.set_input_complete();
    const int result = reader_.run();
    if (result == VTSGML_DONE) return 0;
    error_ = memory_error_text;
    return result;
}

namespace {

// The progress a reader taking the page a chunk at a time reports: the
// percentage of size read at the end of each chunk.
class chunk_progress {
  public:
    chunk_progress(std::span<const uint32_t> chunks, double size,
                   void (*progress)(int percent, void* context), void* context)
        : chunks_(chunks),
          size_(size),
          progress_(progress),
          context_(context),
          end_(chunks.empty() ? 0 : chunks[0]) {}

    // Reports the chunks that end at or before read.
    void passed(size_t read) {
        while (next_ < chunks_.size() && read >= end_) {
            if (progress_ && size_ > 0)
                progress_(static_cast<int>(static_cast<double>(end_) / size_ * 100), context_);
            if (++next_ < chunks_.size()) end_ += chunks_[next_];
        }
    }

  private:
    std::span<const uint32_t> chunks_;
    double size_;
    void (*progress_)(int percent, void* context);
    void* context_;
    size_t next_ = 0;  // the chunk to report next
    size_t end_;       // where it ends
};

}  // namespace

int html_chunks::read_split(std::string_view bytes, std::span<const uint32_t> chunks, double size,
                            void (*progress)(int percent, void* context), void* context) {
    if (!chunks.empty() && refuse_wide_page(bytes.substr(0, chunks[0]), path_, error_)) return 1;
    html_token_stream stream;
    if (!stream.start(bytes)) return -1;
    reader_.add_in_place(bytes);
    chunk_progress reported(chunks, size, progress, context);
    // The tree's number of each name of the stream, once asked.
    std::vector<uint32_t> names(html_token_stream::max_names + 1, 0);
    const auto tree_name = [&](uint32_t number) {
        uint32_t& in_tree = names[number];
        if (in_tree) return in_tree;
        const std::string_view name = stream.name(number);
        // A name lower-cased apart from the page's bytes is the tree's to keep.
        return in_tree = tree_.name_number(
                   name, name.data() < bytes.data() || name.data() >= bytes.data() + bytes.size());
    };
    size_t read = 0;
    for (std::span<const html_token_stream::token> batch; !(batch = stream.next()).empty();) {
        for (const html_token_stream::token& t : batch) {
            const std::string_view token = bytes.substr(read, t.length);
            if (const int result = t.name ? reader_.take_tag(t.kind, token, tree_name(t.name))
                                          : reader_.take(t.kind, token)) {
                error_ = memory_error_text;
                return result;
            }
            read += t.length;
            reported.passed(read);
        }
    }
    if (stream.result() != VTSGML_DONE) {
        error_ = memory_error_text;
        return stream.result();
    }
    tree_.keep_text_comments(stream.take_text_comments());
    return 0;
}
