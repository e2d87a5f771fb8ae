#include "desktop/byte_text.h"

#include <dirent.h>

#include <QStringList>

#include <memory>

namespace {

constexpr char16_t k_escape_base = 0xDC00;  // byte b stands as U+DC00 + b (b >= 0x80)
constexpr char16_t k_replacement = 0xFFFD;

bool continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at the start of bytes, 0 when there is
// none. Overlong forms, encoded surrogates and code points past U+10FFFF are
// not valid: decoding them would make two byte strings read alike.
size_t sequence_length(std::string_view bytes) {
    const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() < length || at(1) < low || at(1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (!continuation(at(i))) return 0;
    return length;
}

char32_t decode(std::string_view bytes, size_t length) {
    const auto at = [&](size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[i]));
    };
    switch (length) {
        case 1:
            return at(0);
        case 2:
            return (at(0) & 0x1F) << 6 | (at(1) & 0x3F);
        case 3:
            return (at(0) & 0x0F) << 12 | (at(1) & 0x3F) << 6 | (at(2) & 0x3F);
        default:
            return (at(0) & 0x07) << 18 | (at(1) & 0x3F) << 12 | (at(2) & 0x3F) << 6 |
                   (at(3) & 0x3F);
    }
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The entry of folder (bytes) whose name Qt decodes as name; empty unless
// exactly one does.
std::string entry_decoded_as(const std::string& folder, const QString& name) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()),
                                            closedir);
    if (!dir) return {};
    std::string found;
    int matches = 0;
    while (const dirent* entry = readdir(dir.get())) {
        if (QString::fromUtf8(entry->d_name) != name) continue;
        found = entry->d_name;
        ++matches;
    }
    return matches == 1 ? found : std::string();
}

}  // namespace

QString qt_text(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    size_t i = 0;
    while (i < bytes.size()) {
        const size_t length = sequence_length(bytes.substr(i));
        if (length == 0) {
            text +=
                QChar(static_cast<char16_t>(k_escape_base + static_cast<unsigned char>(bytes[i])));
            ++i;
            continue;
        }
        const char32_t c = decode(bytes.substr(i), length);
        if (c < 0x10000) {
            text += QChar(static_cast<char16_t>(c));
        } else {
            text += QChar(QChar::highSurrogate(c));
            text += QChar(QChar::lowSurrogate(c));
        }
        i += length;
    }
    return text;
}

std::string byte_text(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            append_utf8(out, QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            ++i;
        } else if (unit >= k_escape_base + 0x80 && unit <= k_escape_base + 0xFF) {
            out += static_cast<char>(unit - k_escape_base);
        } else if (QChar::isSurrogate(unit)) {
            append_utf8(out, k_replacement);
        } else {
            append_utf8(out, unit);
        }
    }
    return out;
}

QString exact_path(const QString& decoded) {
    if (!decoded.contains(QChar(k_replacement))) return decoded;
    std::string path;
    const QStringList names = decoded.split(u'/');
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i > 0) path += '/';
        std::string name;
        if (names[i].contains(QChar(k_replacement)))
            name = entry_decoded_as(i == 0 ? std::string() : path, names[i]);
        path += name.empty() ? byte_text(names[i]) : name;
    }
    return qt_text(path);
}
