#include "html/html_token_stream.h"

#include <new>
#include <system_error>

#include "files/temp_registry.h"
#include "html/markup_context.h"
#include "html/vthtml.h"

namespace {

// A cutter's handler result that ends its run: the stream stops.
constexpr int stopped = -1;

}  // namespace

class html_token_stream::cutter : public vtsgml {
  public:
    explicit cutter(html_token_stream& stream) : stream_(stream) { vthtml::cut_like_html(*this); }

    int cut_all(std::string_view bytes) {
        unread_ = bytes.data();
        append_chunk(bytes);
        set_input_complete();
        return run();
    }

  protected:
    int on_text(std::string_view bytes) override { return keep(xml_kind::text, bytes); }

    int on_markup(xml_kind kind, std::string_view bytes) override {
        if (kind == xml_kind::comment || kind == xml_kind::directive) {
            // The bytes since the last comment, in one go: only where a
            // comment starts does the browser's place count.
            context_.read({unread_, static_cast<size_t>(bytes.data() - unread_)});
            unread_ = bytes.data();
            if (context_.in_text()) stream_.comment_starts_.push_back(bytes.data());
        }
        if (kind == xml_kind::start_tag || kind == xml_kind::end_tag) {
            xml_kind named = kind;
            if (const uint32_t name = number(vthtml::tag_name(named, bytes, scratch_)))
                return keep(named, bytes, name);
        }
        return keep(kind, bytes);
    }

  private:
    int keep(xml_kind kind, std::string_view bytes, uint32_t name = 0) {
        std::vector<token>& batch = stream_.batches_[stream_.filling_];
        batch.push_back({static_cast<uint32_t>(bytes.size()), name, kind});
        return batch.size() < batch_tokens || stream_.publish() ? 0 : stopped;
    }

    // The stream's number of name, given one when new; 0 for none, or when
    // the table is full. A name lower-cased in scratch_ is kept when new.
    uint32_t number(std::string_view name) {
        return stream_.names_.number(name, [this](std::string_view kept) -> std::string_view {
            if (kept.data() != scratch_.data()) return kept;
            return stream_.lowered_.emplace_back(kept);
        });
    }

    html_token_stream& stream_;
    markup_context context_;
    const char* unread_ = nullptr;  // the first byte context_ has not read
    vtstring scratch_;
};

html_token_stream::~html_token_stream() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    freed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

bool html_token_stream::start(std::string_view bytes) {
    bytes_ = bytes;
    for (std::vector<token>& batch : batches_) batch.reserve(batch_tokens);
    try {
        thread_ = std::thread([this] { cut(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void html_token_stream::cut() {
    temp_registry_hold_signals_here();
    int result = VTSGML_NO_MEMORY;
    try {
        cutter tokens(*this);
        result = tokens.cut_all(bytes_);
    } catch (const std::bad_alloc&) {
    }
    if (result == VTSGML_DONE && !batches_[filling_].empty()) publish();
    {
        const std::lock_guard lock(mutex_);
        ended_ = true;
        result_ = result;
    }
    filled_.notify_one();
}

bool html_token_stream::publish() {
    std::unique_lock lock(mutex_);
    ++ready_;
    filling_ = (filling_ + 1) % batch_count;
    filled_.notify_one();
    freed_.wait(lock, [this] { return stopping_ || ready_ < batch_count; });
    if (stopping_) return false;
    lock.unlock();
    batches_[filling_].clear();
    return true;
}

std::span<const html_token_stream::token> html_token_stream::next() {
    std::unique_lock lock(mutex_);
    if (holding_) {
        holding_ = false;
        reading_ = (reading_ + 1) % batch_count;
        --ready_;
        freed_.notify_one();
    }
    filled_.wait(lock, [this] { return ready_ > 0 || ended_; });
    if (ready_ == 0) return {};
    holding_ = true;
    return batches_[reading_];
}
