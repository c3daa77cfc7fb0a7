#pragma once

#include <cstdint>

// The tick counter and the user-activity stamp that gates background work.

// Milliseconds from a monotonic clock. 64 bits wide, so it never goes
// negative and never wraps in a realistic run: background work gated by
// UserIdleFor keeps running however long the program stays open.
std::int64_t NonNegativeTickCount();
// Notes a user action (key, mouse, command, hot key, clipboard change) now.
void MarkUserActivity();
// True when at least ms milliseconds have passed since the last user action.
bool UserIdleFor(std::int64_t ms);
