#pragma once

#include <cstdint>
#include <string>

#include "platform/ByteReader.h"
#include "platform/Metafiles.h"

// The EMF and WMF players behind the metafile functions.
namespace Platform::Metafile {

// The signature of the EMF header record, " EMF".
constexpr std::uint32_t kEmfSignature = 0x464D4520;
// The key of the placeable WMF header.
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

// Reads the header record of an enhanced metafile ([MS-EMF] 2.3.4.2
// EMR_HEADER); false when the bytes do not start with one.
bool ReadEmfHeader(const TByteReader& emf, TEnhMetaHeader& out);
// The Windows metafile an enhanced one carries as its first record after
// the header (the public comment of [MS-EMF] 2.3.3.4.3).
bool FindEmbeddedWmf(const TByteReader& emf, TByteReader& wmf);
// Checks the header of a Windows metafile ([MS-WMF] 2.3.2.2 META_HEADER),
// after the placeable header when there is one.
bool IsWindowsMetafile(const TByteReader& wmf);

// Play what the records draw until the end record. A file that is no
// metafile, a record shorter than its own header or running past the end of
// the file, and a file without its end record give a bad result naming the
// offset of that record; what came before it is drawn all the same.
TReadResult PlayEmf(HDC dc, const TByteReader& emf, const TRect& rect);
TReadResult PlayWmf(HDC dc, const TByteReader& wmf, const TRect& rect);

// UTF-16 code units (little-endian bytes) to UTF-8, stopping at a zero.
std::string Utf16ToUtf8(const TByteReader& b, std::size_t offset, std::size_t units);

}  // namespace Platform::Metafile
