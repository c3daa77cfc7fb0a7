#pragma once

#include <string>
#include <vector>

namespace TestSupport {

// The words of a UTF-8 text, split at white space. No-break spaces and
// six-per-em spaces (U+2006, which LibreOffice writes for every second
// space of a run of spaces) separate words as spaces do.
std::vector<std::string> Words(std::string text);

// How much of the reference's words the text holds, in percent: the words
// both share (counted with their multiplicity) against the larger of the
// two word counts, so that both missing and extra text lower it.
double Fidelity(const std::string& text, const std::string& reference);

}  // namespace TestSupport
