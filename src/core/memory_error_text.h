// What a run that ran out of memory reports, wherever the allocation failed.
#pragma once

#include <string_view>

inline constexpr std::string_view memory_error_text = "Memory error occurred";
