#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TBitmap;

namespace TestSupport {

// The MD5 digest (RFC 1321) of bytes, as 32 lower-case hex digits.
std::string Md5Hex(const void* data, std::size_t size);

// A bitmap's pixels as RGB bytes, rows top to bottom, no padding.
std::vector<std::uint8_t> BitmapRgb(TBitmap& bitmap);
// The same with an opaque alpha byte after each pixel.
std::vector<std::uint8_t> BitmapRgba(TBitmap& bitmap);

// A reference result from a corpus SOURCES.md table: the cells of the row
// whose first cell is name (empty when there is none).
std::vector<std::string> SourcesRow(const std::string& sourcesFile, const std::string& name);
// "127x64 `md5`" (possibly after a word such as PPM) in a cell: true with
// the size and digest when the cell holds one.
bool ParseSizeAndDigest(const std::string& cell, int& width, int& height, std::string& md5);

// Runs a shell command and returns its standard output; exit code in status.
std::string RunCommand(const std::string& command, int* status = nullptr);

}  // namespace TestSupport
