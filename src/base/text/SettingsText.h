#pragma once

#include <string>
#include <string_view>

// Texts as the settings keep them.

// A copy of s with every byte from replaced by to.
std::string ReplaceChar(std::string_view s, char from, char to);

// Multi-line texts are kept in the settings on one line, with "||" for each
// line break (CR LF).
std::string BarsToLineBreaks(std::string_view s);
std::string LineBreaksToBars(std::string_view s);
