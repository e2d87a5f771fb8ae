// vtstring: the byte string behind every value, path and parser buffer.
//
// Text is 8-bit with an explicit length; zero bytes may occur inside. Storage
// grows by a sixteenth beyond what is asked (capacity = n + n/16 + 2), so that
// appending byte by byte reallocates rarely. Lengths and indexes count bytes
// and are 32-bit, as in the stored formats.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class vtstring {
  public:
    vtstring() = default;
    vtstring(const char* text);  // NOLINT: C text converts implicitly
    vtstring(const char* bytes, int32_t n);
    vtstring(std::string_view bytes);  // NOLINT
    vtstring(const vtstring& other);
    vtstring(vtstring&& other) noexcept;
    vtstring& operator=(const vtstring& other);
    vtstring& operator=(vtstring&& other) noexcept;
    vtstring& operator=(std::string_view bytes);
    vtstring& operator=(const char* text) { return *this = std::string_view(text ? text : ""); }
    ~vtstring();

    int32_t length() const { return length_; }
    int32_t capacity() const { return capacity_; }
    bool empty() const { return length_ == 0; }
    const char* data() const { return bytes_ ? bytes_ : ""; }
    char* data() { return bytes_; }
    std::string_view view() const { return {data(), static_cast<size_t>(length_)}; }
    operator std::string_view() const { return view(); }  // NOLINT
    std::string str() const { return std::string(view()); }
    char operator[](int32_t i) const { return bytes_[i]; }
    char& operator[](int32_t i) { return bytes_[i]; }

    // Zero-terminated text: a terminator is put after the last byte without
    // changing the length.
    const char* c_str();

    // Copy of the first n bytes of other (n clipped to its length).
    void assign(std::string_view bytes);
    void assign_prefix(std::string_view other, int32_t n);
    vtstring& append(std::string_view bytes);
    vtstring& append(char byte);
    vtstring& operator+=(std::string_view bytes) { return append(bytes); }
    vtstring& operator+=(char byte) { return append(byte); }
    vtstring& operator+=(const char* text) { return append(std::string_view(text)); }

    // n below 0 or equal to the length: nothing. New bytes are undefined.
    void set_length(int32_t n);
    void clear() { length_ = 0; }
    // Makes room for n bytes in all, by the growth rule; the length stays.
    void reserve(int32_t n);
    // Removes the first n bytes when 1 <= n <= length, otherwise nothing.
    void erase_prefix(int32_t n);
    // The first byte, 0 for an empty text.
    char first_byte() const { return length_ ? bytes_[0] : 0; }

    // Index of the first occurrence at or after start, or -1 (also for a
    // start that is negative or not below the length).
    int32_t find(std::string_view needle, int32_t start = 0) const;
    int32_t find(char byte, int32_t start = 0) const;
    // Index of the last occurrence, or -1.
    int32_t find_last(std::string_view needle) const;
    int32_t find_last(char byte) const;

    // Every occurrence of old_text by new_text, left to right, never rescanning
    // a replacement. An empty old_text changes nothing.
    void replace_all(std::string_view old_text, std::string_view new_text);
    void replace_byte(char old_byte, char new_byte);
    // ASCII letters only: bytes 0x80 and above are left alone (UTF-8 stays intact).
    void to_lower();

    // The receiver frees its storage and takes the giver's; the giver is left
    // empty without storage.
    void take(vtstring& giver) noexcept;

    bool operator==(const vtstring& other) const { return view() == other.view(); }
    bool operator==(std::string_view other) const { return view() == other; }
    bool operator==(const char* other) const { return view() == std::string_view(other); }

  private:
    void grow_to(int32_t n);

    int32_t capacity_ = 0;
    int32_t length_ = 0;
    char* bytes_ = nullptr;
};

// Byte-wise unsigned comparison; on a tie the shorter text is smaller; when
// either text is empty the result is the difference of the lengths.
int vt_compare(std::string_view a, std::string_view b);
// As the C library's case-insensitive comparison: ASCII letters mapped to
// upper case, compared up to the first zero byte.
int vt_compare_nocase(std::string_view a, std::string_view b);
// ASCII lower-casing of one byte.
inline char vt_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
