#include "core/vttext.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/c_locale_scope.h"
#include "core/vtarr.h"

namespace {
bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
}  // namespace

int32_t vt_read_decimal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && is_space(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

double vt_read_real(std::string_view text) {
    // strtod needs a terminated text and follows the process locale; read
    // under the "C" locale so a decimal point is always a full stop.
    std::string copy(text.substr(0, 400));
    c_locale_scope c_locale;
    return std::strtod(copy.c_str(), nullptr);
}

uint32_t vt_read_hex(std::string_view text) {
    uint32_t value = 0;
    for (char c : text) {
        uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<uint32_t>(c - 'A' + 10);
        else
            return 0;
        value = value * 16u + digit;
    }
    return value;
}

void vt_split(std::string_view text, std::string_view separator, vtarr& result, int max_count) {
    if (max_count == 1) return;
    result.clear();
    if (separator.empty() || text.size() < separator.size()) return;
    size_t from = 0;
    int pieces = 0;
    while (true) {
        if (max_count > 1 && pieces == max_count - 1) break;
        size_t pos = text.find(separator, from);
        if (pos == std::string_view::npos) break;
        result.push_back(vtval(text.substr(from, pos - from)));
        ++pieces;
        from = pos + separator.size();
    }
    result.push_back(vtval(text.substr(from)));
}

vtstring vt_url_encode_path(std::string_view path) {
    static const char hex[] = "0123456789ABCDEF";
    vtstring out;
    out.reserve(static_cast<int32_t>(path.size() * 3));
    for (char c : path) {
        unsigned char u = static_cast<unsigned char>(c);
        bool keep = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                    u == '-' || u == '.' || u == '_';
        if (keep) {
            out.append(c);
        } else {
            out.append('%');
            out.append(hex[u >> 4]);
            out.append(hex[u & 15]);
        }
    }
    out.replace_all("%2F", "/");
    return out;
}

vtstring vt_quote_command_line(std::string_view text) {
    if (!text.empty() && text[0] == '"') return vtstring(text);
    if (text.find_first_of(" \t") == std::string_view::npos) return vtstring(text);
    vtstring out("\"");
    for (char c : text) {
        if (c == '"') out.append('\\');
        out.append(c);
    }
    out.append('"');
    return out;
}

vtstring vt_normalize_line_ends(std::string_view text) {
    vtstring out;
    out.reserve(static_cast<int32_t>(text.size() + text.size() / 16));
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') out.append('\r');
        out.append(c);
    }
    return out;
}

int32_t vt_double_zero_length(const char* list) {
    int32_t n = 0;
    while (!(list[n] == 0 && list[n + 1] == 0)) ++n;
    return n;
}
