#pragma once

#include <exception>
#include <string>
#include <string_view>

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

// Errors met by the lowest layers (loading a file into memory, reading a
// form resource) must reach the user, but the message boxes live above
// them. The message boxes install themselves here when they are linked in;
// until then a report goes to standard error.
using TErrorReporter = void (*)(std::string_view message);
void SetErrorReporter(TErrorReporter reporter);
void ReportError(std::string_view message);
// fmt with its first "%s" replaced by arg.
std::string FormatOneString(std::string_view fmt, std::string_view arg);
void ReportErrorFmt(std::string_view fmt, std::string_view arg);
