#include "core/natural_order.h"

#include <cstddef>

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

unsigned char folded(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

// Compares the runs of digits that start at i in a and j in b by value and
// moves both past their runs.
int compare_numbers(std::string_view a, size_t& i, std::string_view b, size_t& j) {
    while (i < a.size() && a[i] == '0' && i + 1 < a.size() && is_digit(a[i + 1])) ++i;
    while (j < b.size() && b[j] == '0' && j + 1 < b.size() && is_digit(b[j + 1])) ++j;
    size_t end_a = i, end_b = j;
    while (end_a < a.size() && is_digit(a[end_a])) ++end_a;
    while (end_b < b.size() && is_digit(b[end_b])) ++end_b;
    // Without leading zeros the longer run is the greater number.
    int result = 0;
    if (end_a - i != end_b - j)
        result = end_a - i < end_b - j ? -1 : 1;
    else
        result = a.substr(i, end_a - i).compare(b.substr(j, end_b - j));
    i = end_a;
    j = end_b;
    return result;
}

}  // namespace

int natural_compare(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (is_digit(a[i]) && is_digit(b[j])) {
            if (const int c = compare_numbers(a, i, b, j); c != 0) return c < 0 ? -1 : 1;
            continue;
        }
        const unsigned char x = folded(a[i]), y = folded(b[j]);
        if (x != y) return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
    const int bytes = a.compare(b);
    return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
}
