// Splitting a command-line text into arguments.
#pragma once

#include <string_view>

class vtarr;

// Cuts text into arguments (appended to args as strings): blanks separate,
// double quotes group and are dropped. Only the space separates (a tab is an
// ordinary byte) and there is no escape for a quote. A quoted argument ends
// at its closing quote, even when it is empty or a letter follows; an
// unterminated quote runs to the end of the text.
void split_command_line(std::string_view text, vtarr& args);
