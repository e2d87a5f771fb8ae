#include "core/vtstring.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
int32_t grown_capacity(int32_t n) {
    return n + n / 16 + 2;
}
}  // namespace

vtstring::vtstring(const char* text) : vtstring(std::string_view(text ? text : "")) {}

vtstring::vtstring(const char* bytes, int32_t n)
    : vtstring(std::string_view(bytes, n > 0 ? n : 0)) {}

vtstring::vtstring(std::string_view bytes) {
    assign(bytes);
}

vtstring::vtstring(const vtstring& other) {
    assign(other.view());
}

vtstring::vtstring(vtstring&& other) noexcept {
    take(other);
}

vtstring& vtstring::operator=(const vtstring& other) {
    if (this != &other) assign(other.view());
    return *this;
}

vtstring& vtstring::operator=(vtstring&& other) noexcept {
    if (this != &other) take(other);
    return *this;
}

vtstring& vtstring::operator=(std::string_view bytes) {
    assign(bytes);
    return *this;
}

vtstring::~vtstring() {
    std::free(bytes_);
}

void vtstring::grow_to(int32_t n) {
    int32_t cap = grown_capacity(n);
    char* p = static_cast<char*>(std::realloc(bytes_, static_cast<size_t>(cap)));
    if (!p) throw std::bad_alloc();
    bytes_ = p;
    capacity_ = cap;
}

void vtstring::reserve(int32_t n) {
    if (n > capacity_) grow_to(n);
}

const char* vtstring::c_str() {
    if (length_ + 1 > capacity_) grow_to(length_ + 1);
    bytes_[length_] = 0;
    return bytes_;
}

void vtstring::assign(std::string_view bytes) {
    int32_t n = static_cast<int32_t>(bytes.size());
    if (n == 0) {
        length_ = 0;
        return;
    }
    // The source may lie inside this string's own storage.
    if (bytes_ && bytes.data() >= bytes_ && bytes.data() < bytes_ + capacity_) {
        std::memmove(bytes_, bytes.data(), bytes.size());
        length_ = n;
        return;
    }
    if (n > capacity_) grow_to(n);
    std::memcpy(bytes_, bytes.data(), bytes.size());
    length_ = n;
}

void vtstring::assign_prefix(std::string_view other, int32_t n) {
    if (n < 0) n = 0;
    if (n > static_cast<int32_t>(other.size())) n = static_cast<int32_t>(other.size());
    assign(other.substr(0, static_cast<size_t>(n)));
}

vtstring& vtstring::append(std::string_view bytes) {
    if (bytes.empty()) return *this;
    int32_t n = length_ + static_cast<int32_t>(bytes.size());
    if (n > capacity_) {
        // Keep the source alive if it lies inside our own storage.
        if (bytes_ && bytes.data() >= bytes_ && bytes.data() < bytes_ + capacity_) {
            std::string copy(bytes);
            grow_to(n);
            std::memcpy(bytes_ + length_, copy.data(), copy.size());
            length_ = n;
            return *this;
        }
        grow_to(n);
    }
    std::memmove(bytes_ + length_, bytes.data(), bytes.size());
    length_ = n;
    return *this;
}

vtstring& vtstring::append(char byte) {
    if (length_ + 1 > capacity_) {
        int32_t cap = length_ + length_ / 16 + 3;
        char* p = static_cast<char*>(std::realloc(bytes_, static_cast<size_t>(cap)));
        if (!p) throw std::bad_alloc();
        bytes_ = p;
        capacity_ = cap;
    }
    bytes_[length_++] = byte;
    return *this;
}

void vtstring::set_length(int32_t n) {
    if (n < 0 || n == length_) return;
    if (n > capacity_) grow_to(n);
    length_ = n;
}

void vtstring::erase_prefix(int32_t n) {
    if (n < 1 || n > length_) return;
    std::memmove(bytes_, bytes_ + n, static_cast<size_t>(length_ - n));
    length_ -= n;
}

int32_t vtstring::find(std::string_view needle, int32_t start) const {
    if (needle.size() == 1) return find(needle[0], start);
    if (start < 0 || start >= length_ || needle.empty()) return -1;
    size_t pos = view().find(needle, static_cast<size_t>(start));
    return pos == std::string_view::npos ? -1 : static_cast<int32_t>(pos);
}

int32_t vtstring::find(char byte, int32_t start) const {
    if (start < 0 || start >= length_) return -1;
    const void* p = std::memchr(bytes_ + start, static_cast<unsigned char>(byte),
                                static_cast<size_t>(length_ - start));
    return p ? static_cast<int32_t>(static_cast<const char*>(p) - bytes_) : -1;
}

int32_t vtstring::find_last(std::string_view needle) const {
    if (needle.empty() || needle.size() > static_cast<size_t>(length_)) return -1;
    size_t pos = view().rfind(needle);
    return pos == std::string_view::npos ? -1 : static_cast<int32_t>(pos);
}

int32_t vtstring::find_last(char byte) const {
    return find_last(std::string_view(&byte, 1));
}

void vtstring::replace_byte(char old_byte, char new_byte) {
    for (int32_t i = 0; i < length_; ++i)
        if (bytes_[i] == old_byte) bytes_[i] = new_byte;
}

void vtstring::replace_all(std::string_view old_text, std::string_view new_text) {
    if (old_text.empty() || length_ == 0) return;
    if (old_text.size() == 1 && new_text.size() == 1) {
        replace_byte(old_text[0], new_text[0]);
        return;
    }
    std::string_view text = view();
    size_t count = 0;
    for (size_t pos = text.find(old_text); pos != std::string_view::npos;
         pos = text.find(old_text, pos + old_text.size()))
        ++count;
    if (count == 0) return;
    // One pass into a buffer of the exact final length, which then replaces
    // the old storage.
    vtstring out;
    out.reserve(
        static_cast<int32_t>(text.size() - count * old_text.size() + count * new_text.size()));
    size_t from = 0;
    for (size_t pos = text.find(old_text); pos != std::string_view::npos;
         pos = text.find(old_text, from)) {
        out.append(text.substr(from, pos - from));
        out.append(new_text);
        from = pos + old_text.size();
    }
    out.append(text.substr(from));
    take(out);
}

void vtstring::to_lower() {
    for (int32_t i = 0; i < length_; ++i) bytes_[i] = vt_lower(bytes_[i]);
}

void vtstring::take(vtstring& giver) noexcept {
    if (this == &giver) return;
    std::free(bytes_);
    bytes_ = giver.bytes_;
    capacity_ = giver.capacity_;
    length_ = giver.length_;
    giver.bytes_ = nullptr;
    giver.capacity_ = 0;
    giver.length_ = 0;
}

int vt_compare(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) return static_cast<int>(a.size()) - static_cast<int>(b.size());
    size_t n = a.size() < b.size() ? a.size() : b.size();
    int c = std::memcmp(a.data(), b.data(), n);
    if (c != 0) return c;
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int vt_compare_nocase(std::string_view a, std::string_view b) {
    auto upper = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; };
    for (size_t i = 0;; ++i) {
        int ca = i < a.size() ? upper(static_cast<unsigned char>(a[i])) : 0;
        int cb = i < b.size() ? upper(static_cast<unsigned char>(b[i])) : 0;
        if (ca != cb) return ca - cb;
        if (ca == 0) return 0;
    }
}
