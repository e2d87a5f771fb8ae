// The product title that begins every batch report and names the program in
// the installer's records and messages.
#pragma once

#include <string_view>

#include "orvane_version.h"

inline constexpr std::string_view kProductTitle = ORVANE_PRODUCT_TITLE;
