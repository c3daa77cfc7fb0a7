#pragma once

#include <cstdint>
#include <memory>

class TMemoryStream;

// The inflated content of size compressed bytes at buffer (ZlibWindowBits);
// empty when the data is damaged, never a part of it.
std::unique_ptr<TMemoryStream> InflateToMemoryStream(const void* buffer, std::int32_t size);
// The size bytes at buffer deflated in zlib format, positioned at the end.
std::unique_ptr<TMemoryStream> DeflateToMemoryStream(const void* buffer, std::int32_t size);
