// Conversions between the engine's byte strings and Qt text, and the texts
// that every window of the program shares.
#pragma once

#include <QString>
#include <algorithm>
#include <string>
#include <string_view>

// Caption of every message box and the start of the main window's caption.
inline const QString k_product_title = QStringLiteral("Orvane 1.0b");

// Engine bytes (UTF-8 on this platform) as Qt text.
inline QString qt_text(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Qt text as engine bytes.
inline std::string byte_text(const QString& text) {
    return text.toUtf8().toStdString();
}

// The part after the last path separator (slash, or a backslash from a
// project written elsewhere); all of it when there is none.
inline QString after_last_separator(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}
