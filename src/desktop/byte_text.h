// Conversions between byte strings (paths, page text, settings values) and
// Qt text. Both directions use the local 8-bit file-name encoding, the one Qt's
// own file classes use, so a path names the same file on either side.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// Bytes as Qt text.
QString qt_text(std::string_view bytes);

// Qt text as bytes.
std::string byte_text(const QString& text);
