#include "base/Errors.h"

#include <cstdio>
#include <cstdlib>

#include "base/Checks.h"

void Abort() {
    throw EAbort();
}

void RezAssertFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}
