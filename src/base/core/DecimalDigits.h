#pragma once

#include <string_view>

// Runs of decimal digits, as dates, times and version texts hold them.

// True when s is not empty and holds only the digits 0 to 9.
inline bool IsAllDigits(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The value of a run of digits the caller has checked (IsAllDigits) and
// kept short enough for an int.
inline int DigitsValue(std::string_view s) {
    int v = 0;
    for (char c : s)
        v = v * 10 + (c - '0');
    return v;
}
