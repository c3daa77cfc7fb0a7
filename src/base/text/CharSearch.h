#pragma once

#include <cstdint>

// Searches of byte and UTF-16 buffers by the count of units given.

// Index of the first byte equal to b among count bytes; -1 when none.
std::int32_t FindByte(const void* buffer, std::uint8_t b, std::int32_t count);
// Index of the first code unit equal to c among count units; -1 when none.
std::int32_t FindWideChar(const char16_t* text, char16_t c, std::int32_t count);
// Index of the first byte below 32 among len bytes; len when none.
std::int32_t FirstControlCharIndex(const void* buffer, std::int32_t len);
