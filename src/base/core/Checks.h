#pragma once

// Index and argument checks. The containers trust their callers in release
// builds (a check per item access would cost the layout and paint loops
// dearly); test builds are configured with REZ_CHECKS so that misuse stops
// at the faulty call instead of corrupting memory later.

[[noreturn]] void RezAssertFailed(const char* condition, const char* file, int line);

#if defined(REZ_CHECKS) && REZ_CHECKS
#define REZ_ASSERT(cond) ((cond) ? (void)0 : ::RezAssertFailed(#cond, __FILE__, __LINE__))
#else
#define REZ_ASSERT(cond) ((void)0)
#endif
