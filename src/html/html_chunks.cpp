#include "html/html_chunks.h"

#include "core/memory_error_text.h"
#include "files/vtfile_error.h"
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
