// The top-level handler of the programs with windows.
#pragma once

#include <functional>

class dialogs;

// Runs body and returns its exit code. An exception that escapes it is shown
// in a critical message box with the exception's text, and the result is 1.
int run_with_failure_box(dialogs& boxes, const std::function<int()>& body);
