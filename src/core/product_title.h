// The product title that begins every batch report and names the program in
// the installer's records and messages.
#pragma once

#include <string_view>

inline constexpr std::string_view kProductTitle = "Orvane 1.0b";
