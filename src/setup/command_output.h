// What a shell command prints, for the few facts the installer asks of the
// system's own tools.
#pragma once

#include <string>

// Everything command (run by /bin/sh, its errors discarded by the caller's
// redirection) writes on standard output; empty when it cannot be run.
std::string command_output(const char* command);
