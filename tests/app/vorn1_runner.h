// Runs the built program as a user would, capturing what it writes.
#pragma once

#include <string>
#include <vector>

#include "support/run_program.h"

namespace vorn1_runner {

inline const std::string kVorn1 = vorn1_path();
using run_result = program_result;

// With a limit, the child may write files of at most that many bytes; with
// drop_privileges a root child runs as "nobody".
inline run_result run(const std::string& program, const std::vector<std::string>& args,
                      long file_size_limit = -1, bool drop_privileges = false) {
    return run_program(program, args, "", {}, {file_size_limit, drop_privileges});
}

}  // namespace vorn1_runner
