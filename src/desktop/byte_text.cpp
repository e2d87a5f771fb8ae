#include "desktop/byte_text.h"

#include <QFile>

QString qt_text(std::string_view bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string byte_text(const QString& text) {
    return QFile::encodeName(text).toStdString();
}
