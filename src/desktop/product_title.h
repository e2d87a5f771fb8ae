// The product title of the Qt programs: caption of every message box and the
// start of the window titles.
#pragma once

#include <QString>

inline const QString k_product_title = QStringLiteral("Orvane 1.0b");
