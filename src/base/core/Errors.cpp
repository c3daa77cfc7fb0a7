#include "base/core/Errors.h"

#include <cstdio>
#include <cstdlib>

#include "base/core/Checks.h"

void Abort() {
    throw EAbort();
}

void RezAssertFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

namespace {

void ReportToStandardError(std::string_view message) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
}

TErrorReporter& CurrentReporter() {
    static TErrorReporter reporter = ReportToStandardError;
    return reporter;
}

}  // namespace

void SetErrorReporter(TErrorReporter reporter) {
    CurrentReporter() = reporter ? reporter : ReportToStandardError;
}

void ReportError(std::string_view message) {
    CurrentReporter()(message);
}

std::string FormatOneString(std::string_view fmt, std::string_view arg) {
    const std::size_t at = fmt.find("%s");
    if (at == std::string_view::npos)
        return std::string(fmt);
    std::string out;
    out.reserve(fmt.size() + arg.size());
    out.append(fmt.substr(0, at));
    out.append(arg);
    out.append(fmt.substr(at + 2));
    return out;
}

void ReportErrorFmt(std::string_view fmt, std::string_view arg) {
    ReportError(FormatOneString(fmt, arg));
}
