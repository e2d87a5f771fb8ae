// The report of a run that lists names (the -check and -links reports): the
// product title, then the run's error, or one name a line and a last line
// saying all is well or how many there are.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/vtstring.h"

class toc_project;

// result is the run's: non-zero gives "Error occurred: " and the project's
// error message, exit code 2. Else the names, each shown as the progress
// line shows it (a name holding a line feed or an escape sequence can
// neither split the list nor act on the terminal that reads it), then
// none_line (exit code 0) or the count and count_tail (exit code 1).
vtstring name_list_report(int result, const toc_project& project,
                          const std::vector<std::string>& names, std::string_view none_line,
                          std::string_view count_tail, int& exit_code);
