// text_lines: the non-empty lines of a text file, for tests that read lists
// (golden case lists, expected outputs).
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

inline std::vector<std::string> lines_of(const std::filesystem::path& p) {
    std::vector<std::string> lines;
    std::ifstream in(p);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}
