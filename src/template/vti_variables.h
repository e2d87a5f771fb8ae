// vti_variables: the variables a template run reads.
//
// Each name (compared byte by byte, case-sensitively) maps to a list with one
// value per position; loops read the lists by index. The caller owns the map
// and keeps it unchanged while any engine of the run uses it.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "core/vtarr.h"

using vti_variables = std::map<std::string, vtarr, std::less<>>;
