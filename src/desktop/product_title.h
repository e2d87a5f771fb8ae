// The product title of the Qt programs: caption of every message box and the
// start of the window titles.
#pragma once

#include <QString>

#include "orvane_version.h"

inline const QString k_product_title = QStringLiteral(ORVANE_PRODUCT_TITLE);
