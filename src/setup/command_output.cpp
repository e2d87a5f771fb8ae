#include "setup/command_output.h"

#include <cstdio>

std::string command_output(const char* command) {
    FILE* pipe = popen(command, "r");
    if (pipe == nullptr) return {};
    std::string output;
    char chunk[512];
    while (fgets(chunk, sizeof chunk, pipe) != nullptr) output += chunk;
    pclose(pipe);
    return output;
}
