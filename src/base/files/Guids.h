#pragma once

#include <string>

// A new random GUID in its registry text form without braces (36
// upper-case characters); the date-time when no randomness can be had.
std::string NewGuidString();
