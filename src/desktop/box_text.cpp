#include "desktop/box_text.h"

namespace {

constexpr QChar k_break_opportunity = QChar(0x200B);
constexpr qsizetype k_longest_run = 40;  // characters a box shows without a chance to wrap

// A run without blanks, with break opportunities after its slashes and after
// every k_longest_run characters that have none.
QString breakable(QStringView run) {
    QString out;
    qsizetype since_break = 0;
    for (const QChar c : run) {
        out += c;
        if (c == u'/' || ++since_break >= k_longest_run) {
            out += k_break_opportunity;
            since_break = 0;
        }
    }
    return out;
}

}  // namespace

QString box_text(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QString out;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && !text[end].isSpace()) ++end;
        // Short words stay as they are, so a copied message reads as shown.
        const QStringView run = QStringView(text).mid(start, end - start);
        out += run.size() > k_longest_run ? breakable(run) : run.toString();
        if (end < text.size()) out += text[end++];
        start = end;
    }
    return out;
}

QString window_title(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text.replace(QStringLiteral("\n"), QStringLiteral(" - "));
}
