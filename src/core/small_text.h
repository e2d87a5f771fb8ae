// small_text<N>: an owned byte string that takes N bytes and keeps texts of
// up to N - 1 bytes in place, longer ones on the heap.
//
// For the many short texts of a big tree (a TOC item's number "1.4.2. ", its
// link "#velt_link_12_1700000000"), where a heap block per text would cost
// more than the text. Bytes live in the object while short: a view of a
// small_text is valid until it is changed, moved or destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

template <size_t N>
class small_text {
    static_assert(N >= 16 && N < 256, "room for a pointer, a size and the tag byte");

  public:
    small_text() { bytes_[N - 1] = 0; }
    small_text(std::string_view text) : small_text() { assign(text); }    // NOLINT
    small_text(const char* text) : small_text(std::string_view(text)) {}  // NOLINT
    small_text(const small_text& other) : small_text() { assign(other.view()); }
    small_text(small_text&& other) noexcept {
        std::memcpy(bytes_, other.bytes_, N);
        other.bytes_[N - 1] = 0;
    }
    small_text& operator=(const small_text& other) {
        if (this != &other) assign(other.view());
        return *this;
    }
    small_text& operator=(small_text&& other) noexcept {
        if (this != &other) {
            release();
            std::memcpy(bytes_, other.bytes_, N);
            other.bytes_[N - 1] = 0;
        }
        return *this;
    }
    small_text& operator=(std::string_view text) {
        assign(text);
        return *this;
    }
    small_text& operator=(const char* text) { return *this = std::string_view(text); }
    ~small_text() { release(); }

    std::string_view view() const {
        if (!on_heap()) return {reinterpret_cast<const char*>(bytes_), bytes_[N - 1]};
        return {heap_data(), heap_size()};
    }
    operator std::string_view() const { return view(); }  // NOLINT
    std::string str() const { return std::string(view()); }
    int32_t length() const { return static_cast<int32_t>(view().size()); }
    bool empty() const { return view().empty(); }

    bool operator==(std::string_view other) const { return view() == other; }
    bool operator==(const char* other) const { return view() == std::string_view(other); }

  private:
    static constexpr unsigned char heap_tag = 0xFF;

    bool on_heap() const { return bytes_[N - 1] == heap_tag; }
    char* heap_data() const {
        char* p;
        std::memcpy(&p, bytes_, sizeof p);
        return p;
    }
    size_t heap_size() const {
        uint32_t n;
        std::memcpy(&n, bytes_ + sizeof(char*), sizeof n);
        return n;
    }
    void release() {
        if (on_heap()) delete[] heap_data();
        bytes_[N - 1] = 0;
    }
    void assign(std::string_view text) {
        if (text.size() < N) {
            // The text may lie in this object's own bytes: moved, not copied.
            // An empty view may hold no pointer at all: memcpy must not see it.
            char kept[N];
            if (!text.empty()) std::memcpy(kept, text.data(), text.size());
            release();
            if (!text.empty()) std::memcpy(bytes_, kept, text.size());
            bytes_[N - 1] = static_cast<unsigned char>(text.size());
            return;
        }
        char* p = new char[text.size()];
        std::memcpy(p, text.data(), text.size());
        release();
        const uint32_t n = static_cast<uint32_t>(text.size());
        std::memcpy(bytes_, &p, sizeof p);
        std::memcpy(bytes_ + sizeof(char*), &n, sizeof n);
        bytes_[N - 1] = heap_tag;
    }

    alignas(char*) unsigned char bytes_[N];
};
