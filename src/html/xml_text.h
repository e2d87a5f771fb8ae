// xml_text: the bytes of a node field, a view that takes twelve bytes.
//
// A page holds a node for every dozen bytes or so, and each node has two of
// these: a pointer and a 32-bit length, packed, instead of a string_view's
// sixteen bytes. Pages stay far below 4 GiB. It reads like a string_view and
// converts to one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class [[gnu::packed]] xml_text {
  public:
    xml_text() = default;
    xml_text(std::string_view bytes)  // NOLINT: stands for a string_view
        : data_(bytes.data()), size_(static_cast<uint32_t>(bytes.size())) {}
    xml_text(const char* data, size_t size) : data_(data), size_(static_cast<uint32_t>(size)) {}

    std::string_view view() const { return {data_, size_}; }
    operator std::string_view() const { return view(); }  // NOLINT

    const char* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    char operator[](size_t i) const { return data_[i]; }
    size_t find(char c, size_t from = 0) const { return view().find(c, from); }
    size_t find(std::string_view s, size_t from = 0) const { return view().find(s, from); }
    std::string_view substr(size_t from, size_t n = std::string_view::npos) const {
        return view().substr(from, n);
    }
    bool starts_with(std::string_view s) const { return view().starts_with(s); }
    bool starts_with(char c) const { return view().starts_with(c); }
    bool ends_with(std::string_view s) const { return view().ends_with(s); }
    bool ends_with(char c) const { return view().ends_with(c); }

    friend bool operator==(const xml_text& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const xml_text& a, const xml_text& b) { return a.view() == b.view(); }
    friend bool operator==(const xml_text& a, const char* b) { return a.view() == b; }

  private:
    const char* data_ = nullptr;
    uint32_t size_ = 0;
};
