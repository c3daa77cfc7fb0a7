#pragma once

#include <string>
#include <vector>

// The text both sides of the text benchmark work on: lines of ordinary
// words, the same on every run.
namespace BenchText {

// count lines of about width characters each.
std::vector<std::u16string> Lines(int count, int width);
std::string ToUtf8(const std::u16string& text);

}  // namespace BenchText
