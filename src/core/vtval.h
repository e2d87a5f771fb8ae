// vtval: the dynamic value used for every setting, attribute, variable and
// list element.
//
// A type tag (2 string, 5 boolean, 11 integer, 23 real; any other tag is an
// opaque 32-bit handle), the scalar, and a text. For a string the text is the
// value; for the other kinds it is a cache of the text form, filled on demand.
// A new value is the integer 0. Values compare by their text forms.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/vtstring.h"

enum vt_type : uint16_t { VT_STRING = 2, VT_BOOL = 5, VT_INT = 11, VT_REAL = 23 };

class vtval {
  public:
    vtval() = default;
    vtval(std::string_view text) : type_(VT_STRING), text_(text), cached_(true) {}  // NOLINT
    vtval(const char* text) : vtval(std::string_view(text ? text : "")) {}          // NOLINT
    vtval(const vtstring& text) : vtval(text.view()) {}                             // NOLINT
    vtval(int32_t number) : type_(VT_INT) { scalar_.i = number; }                   // NOLINT

    static vtval make_bool(bool flag);
    static vtval make_real(double number);
    static vtval make_handle(uint16_t tag, uint32_t handle);

    uint16_t type() const { return type_; }
    bool is_string() const { return type_ == VT_STRING; }

    // The text form (filled into the cache without changing the type).
    const vtstring& to_text() const;
    std::string_view text() const { return to_text().view(); }
    int32_t length() const { return to_text().length(); }
    // Conversions of the value's content, leaving the value as it is.
    int32_t to_integer() const;
    bool to_boolean() const;
    double to_real() const;
    // Changes the value's type; converting to its own type, or to tag 0 or 1,
    // changes nothing.
    void convert(uint16_t type);
    // The value as a mutable string: converts to a string first.
    vtstring& str();

    // Arithmetic chosen by the sum of the two type tags: below 23 32-bit
    // integer, 23 to 46 real, 47 and above none. Division by zero gives 0.
    vtval& add(const vtval& other);
    vtval& increment();
    vtval& decrement();
    vtval multiply(const vtval& other) const;
    vtval divide(const vtval& other) const;
    vtval less(const vtval& other) const;

  private:
    uint16_t type_ = VT_INT;
    union {
        bool b;
        int32_t i;
        uint32_t h;
        double r;
    } scalar_{.r = 0};
    mutable vtstring text_;
    mutable bool cached_ = false;
};

// Compares the text forms byte by byte (the order of vthash keys).
int vt_compare_values(const vtval& a, const vtval& b);

// Text form of a real: 0 outside 1e-10..1e18, else "%.3f" above 100,000 and
// "%.8f" otherwise, trailing zeros and a bare point removed.
vtstring vt_real_text(double number);
