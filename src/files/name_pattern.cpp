#include "files/name_pattern.h"

namespace {

// Bytes above every code point: a byte that is no part of a UTF-8 sequence
// stands for itself and equals no character.
constexpr uint32_t lone_byte = 0x110000;

// The character at name[at]: its code point, and its length in bytes.
uint32_t character_at(std::string_view s, size_t at, size_t& length) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    length = 1;
    if (lead < 0x80) return lead;
    size_t n = 0;
    uint32_t c = 0, least = 0;
    if ((lead & 0xE0) == 0xC0) {
        n = 2, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        n = 3, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        n = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return lone_byte + lead;
    }
    if (at + n > s.size()) return lone_byte + lead;
    for (size_t i = 1; i < n; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return lone_byte + lead;
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    // Overlong forms, surrogates and values past the last code point are
    // bytes, not characters.
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return lone_byte + lead;
    length = n;
    return c;
}

}  // namespace

bool name_pattern::compile(std::string_view text) {
    elements_.clear();
    const auto add_text = [&](std::string_view bytes) {
        if (elements_.empty() || elements_.back().kind != element::text)
            elements_.push_back({element::text, {}, {}, false});
        elements_.back().bytes.append(bytes);
    };
    size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '*') {
            if (elements_.empty() || elements_.back().kind != element::any_run)
                elements_.push_back({element::any_run, {}, {}, false});
            ++at;
        } else if (c == '?') {
            elements_.push_back({element::one, {}, {}, false});
            ++at;
        } else if (c == '[') {
            element e{element::set, {}, {}, false};
            size_t i = at + 1;
            if (i < text.size() && (text[i] == '!' || text[i] == '^')) e.negated = true, ++i;
            const size_t first = i;
            size_t only_length = 0;  // the bytes of a set's one character
            for (;;) {
                if (i >= text.size()) {
                    elements_.clear();
                    return false;
                }
                if (text[i] == ']' && i > first) break;
                size_t n = 0;
                const uint32_t from = character_at(text, i, n);
                uint32_t to = from;
                only_length = e.ranges.empty() ? n : 0;
                i += n;
                if (i + 1 < text.size() && text[i] == '-' && text[i + 1] != ']') {
                    to = character_at(text, i + 1, n);
                    i += 1 + n;
                    only_length = 0;
                }
                e.ranges.push_back({from, to});
            }
            if (!e.negated && e.ranges.size() == 1 && only_length != 0)
                add_text(text.substr(first, only_length));
            else
                elements_.push_back(std::move(e));
            at = i + 1;
        } else {
            add_text(text.substr(at, 1));
            ++at;
        }
    }
    return true;
}

bool name_pattern::is_literal() const {
    return elements_.empty() || (elements_.size() == 1 && elements_[0].kind == element::text);
}

std::string_view name_pattern::literal() const {
    return elements_.empty() ? std::string_view() : std::string_view(elements_[0].bytes);
}

bool name_pattern::names_hidden() const {
    return !elements_.empty() && elements_[0].kind == element::text &&
           elements_[0].bytes.front() == '.';
}

bool name_pattern::in_set(const element& e, uint32_t c) const {
    for (const range& r : e.ranges)
        if (c >= r.from && c <= r.to) return !e.negated;
    return e.negated;
}

bool name_pattern::match_one(const element& e, std::string_view name, size_t at,
                             size_t& length) const {
    if (e.kind == element::text) {
        length = e.bytes.size();
        return name.substr(at, length) == e.bytes;
    }
    if (at >= name.size()) return false;
    const uint32_t c = character_at(name, at, length);
    return e.kind == element::one || in_set(e, c);
}

bool name_pattern::matches(std::string_view name) const {
    // Left to right; on a mismatch the last "*" takes one more character and
    // the elements after it are tried again from there. Each "*" only needs
    // the latest one retried, so the time stays within name x pattern.
    size_t e = 0, at = 0;
    size_t star = elements_.size(), star_at = 0;
    while (at < name.size() || e < elements_.size()) {
        if (e < elements_.size() && elements_[e].kind == element::any_run) {
            star = e++;
            star_at = at;
            continue;
        }
        size_t length = 0;
        if (e < elements_.size() && match_one(elements_[e], name, at, length)) {
            ++e;
            at += length;
            continue;
        }
        if (star == elements_.size() || star_at >= name.size()) return false;
        character_at(name, star_at, length);
        star_at += length;
        at = star_at;
        e = star + 1;
    }
    return true;
}

std::string name_pattern_escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '*' || c == '?' || c == '[') {
            out += '[';
            out += c;
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}
