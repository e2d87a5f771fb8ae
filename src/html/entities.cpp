// Both passes are one search-and-replace loop driven by a fixed POSIX
// pattern. The patterns are compiled once; matching uses REG_STARTEND so the
// scan runs over the text's explicit length, zero bytes included.
#include "html/entities.h"

#include <cstring>

#include "html/vtregex.h"

namespace {

const char numeric_pattern[] = "&#x?[0-9a-fA-F]+;";
const char named_pattern[] = "&[a-zA-Z_:][a-zA-Z_:0-9\\.\\-]*;";

class compiled_pattern {
  public:
    explicit compiled_pattern(const char* pattern) {
        ok_ = vt_regcomp(&compiled_, pattern, REG_EXTENDED) == 0;
    }
    ~compiled_pattern() {
        if (ok_) vt_regfree(&compiled_);
    }
    compiled_pattern(const compiled_pattern&) = delete;
    compiled_pattern& operator=(const compiled_pattern&) = delete;
    const regex_t* get() const { return ok_ ? &compiled_ : nullptr; }

  private:
    regex_t compiled_{};
    bool ok_ = false;
};

// The replacement of one matched reference; false keeps it as written.
using replacer = bool (*)(std::string_view match, vtstring& out, const void* context);

bool replace_all(vtstring& text, const regex_t* pattern, replacer replace, const void* context) {
    if (!pattern) return false;
    // Terminated as well, for tools that look at the subject as C text.
    const char* data = text.c_str();
    const size_t total = static_cast<size_t>(text.length());
    size_t cursor = 0;
    bool changed = false;
    vtstring out;
    for (;;) {
        const size_t left = total - cursor;
        regmatch_t m;
        m.rm_so = static_cast<regoff_t>(cursor);
        m.rm_eo = static_cast<regoff_t>(total);
        if (vt_regexec(pattern, data, 1, &m, REG_STARTEND) != 0) break;
        // Offsets relative to the cursor, checked as the loop always did.
        const regoff_t so = m.rm_so - static_cast<regoff_t>(cursor);
        const regoff_t eo = m.rm_eo - static_cast<regoff_t>(cursor);
        if (so < 0 || eo <= 0 || static_cast<size_t>(so) >= left ||
            static_cast<size_t>(eo) > left || eo <= so)
            break;
        if (!changed) {
            out.reserve(text.length() + 20);
            changed = true;
        }
        const std::string_view before(data + cursor, static_cast<size_t>(so));
        const std::string_view match(data + cursor + so, static_cast<size_t>(eo - so));
        out.append(before);
        vtstring replacement;
        if (replace(match, replacement, context))
            out.append(replacement.view());
        else
            out.append(match);
        cursor += static_cast<size_t>(eo);
    }
    if (!changed) return false;
    out.append(std::string_view(data + cursor, total - cursor));
    text.take(out);
    return true;
}

bool replace_numeric(std::string_view match, vtstring& out, const void*) {
    // match is "&#" [x] digits ";"
    std::string_view digits = match.substr(2, match.size() - 3);
    uint32_t value = 0;
    if (!digits.empty() && digits[0] == 'x') {
        for (char c : digits.substr(1)) {
            uint32_t d = (c >= '0' && c <= '9')   ? static_cast<uint32_t>(c - '0')
                         : (c >= 'a' && c <= 'f') ? static_cast<uint32_t>(c - 'a' + 10)
                                                  : static_cast<uint32_t>(c - 'A' + 10);
            value = value * 16 + d;
        }
    } else {
        for (char c : digits) {
            if (c < '0' || c > '9') break;
            value = value * 10 + static_cast<uint32_t>(c - '0');
        }
    }
    out.append(static_cast<char>(value & 0xFF));
    return true;
}

struct named_context {
    const vthash* table;
    bool fold;
};

bool replace_named(std::string_view match, vtstring& out, const void* context) {
    const auto* ctx = static_cast<const named_context*>(context);
    vtstring name(match.substr(1, match.size() - 2));
    if (ctx->fold) name.to_lower();
    const vtval* value = ctx->table->find(name.view());
    if (!value) return false;
    out.append(value->text());
    return true;
}

bool has_ampersand(const vtstring& text) {
    return text.length() > 0 &&
           std::memchr(text.data(), '&', static_cast<size_t>(text.length())) != nullptr;
}

}  // namespace

void fill_entity_table(vthash& table) {
    table.set("amp", "&");
    table.set("lt", "<");
    table.set("gt", ">");
    table.set("apos", "'");
    table.set("quot", "\"");
}

bool decode_numeric_references(vtstring& text) {
    if (!has_ampersand(text)) return false;
    static const compiled_pattern pattern(numeric_pattern);
    return replace_all(text, pattern.get(), replace_numeric, nullptr);
}

bool decode_named_references(vtstring& text, const vthash& table, bool fold) {
    if (!has_ampersand(text)) return false;
    static const compiled_pattern pattern(named_pattern);
    named_context ctx{&table, fold};
    return replace_all(text, pattern.get(), replace_named, &ctx);
}

bool decode_entities(vtstring& text, const vthash& table, bool fold) {
    const bool numeric = decode_numeric_references(text);
    const bool named = decode_named_references(text, table, fold);
    return numeric || named;
}

void decode_entities(vtval& text, const vthash& table, bool fold) {
    decode_entities(text.str(), table, fold);
}
