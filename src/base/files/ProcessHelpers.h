#pragma once

#include <string>
#include <string_view>
#include <vector>

// Small helpers about the running process and the programs it starts.

// The login name of the user, empty when unknown.
std::string UserName();

// Splits command-line parameters at blanks; a double-quoted part may hold
// blanks, and its quotes are dropped ("a \"b c\"" gives a, b c).
std::vector<std::string> SplitCommandLine(std::string_view params);

// Starts the program queued to run after shutdown (a downloaded setup) with
// its parameters; false when it could not be started. Nothing is started
// for an empty path.
bool RunQueuedProgram(const std::string& path, std::string_view params);
