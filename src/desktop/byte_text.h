// Conversions between byte strings (paths, page text, settings values) and
// Qt text. File names here are bytes in the local 8-bit encoding, UTF-8, and
// need not be valid UTF-8: valid sequences become their characters, and every
// byte that is not part of one becomes a code point of its own from the
// reserved range U+DC80..U+DCFF (a lone low surrogate, which no decoded text
// contains), which the way back turns into the same byte again. So any byte
// string survives the round trip, and a path names the same file on either
// side.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// Bytes as Qt text; never loses a byte.
QString qt_text(std::string_view bytes);

// Qt text as bytes: the reverse of qt_text. A surrogate that no decoding
// produced (a lone high surrogate, or a low one outside the reserved range)
// is written as U+FFFD.
std::string byte_text(const QString& text);

// A path that Qt's own file classes decoded (a file dialog's answer, whose
// undecodable bytes became U+FFFD) as the exact path on disk: each name with
// U+FFFD in it is looked up in its folder, and taken when exactly one entry
// there decodes the same way. A path without U+FFFD, or one that cannot be
// matched, comes back as it is.
QString exact_path(const QString& decoded);
