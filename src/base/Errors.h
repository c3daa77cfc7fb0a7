#pragma once

#include <exception>

// The silent abort: raised after the user has been told (or when nobody needs
// to be), it unwinds the current operation without any further message.
// It is the one exception class of the program; out-of-memory is the
// standard library's std::bad_alloc.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// Raises EAbort.
[[noreturn]] void Abort();
