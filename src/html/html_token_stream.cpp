#include "html/html_token_stream.h"

#include <array>
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
    // the table is full.
    uint32_t number(std::string_view name) {
        if (name.empty()) return 0;
        // Most tags repeat a name seen a moment ago: one compare finds it.
        uint32_t& recent =
            recent_[(static_cast<unsigned char>(name[0]) + name.size() * 7) % recent_.size()];
        if (recent && stream_.names_[recent] == name) return recent;
        recent = indexed(name);
        return recent;
    }

    uint32_t indexed(std::string_view name) {
        uint64_t h = name.size() * 0x9E3779B97F4A7C15ull;
        for (const char c : name) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
        const size_t mask = slots_.size() - 1;
        for (size_t i = (h ^ (h >> 29)) & mask;; i = (i + 1) & mask) {
            if (const uint32_t n = slots_[i]) {
                if (stream_.names_[n] == name) return n;
                continue;
            }
            if (count_ == max_names) return 0;
            if (name.data() == scratch_.data()) name = stream_.lowered_.emplace_back(name);
            stream_.names_[++count_] = name;
            slots_[i] = count_;
            return count_;
        }
    }

    html_token_stream& stream_;
    markup_context context_;
    const char* unread_ = nullptr;  // the first byte context_ has not read
    vtstring scratch_;
    // An open-addressed index of the names, at most half full.
    std::vector<uint32_t> slots_ = std::vector<uint32_t>(2 * max_names, 0);
    uint32_t count_ = 0;
    std::array<uint32_t, 64> recent_{};
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
    names_.assign(max_names + 1, std::string_view());
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
