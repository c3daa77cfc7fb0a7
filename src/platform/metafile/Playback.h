#pragma once

#include <cstdint>
#include <string>

#include "platform/Metafiles.h"
#include "platform/metafile/RecordReader.h"

// The EMF and WMF players behind the metafile functions.
namespace Platform::Metafile {

// The signature of the EMF header record, " EMF".
constexpr std::uint32_t kEmfSignature = 0x464D4520;
// The key of the placeable WMF header.
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

// Reads the header record of an enhanced metafile ([MS-EMF] 2.3.4.2
// EMR_HEADER); false when the bytes do not start with one.
bool ReadEmfHeader(const TBytes& emf, TEnhMetaHeader& out);
// The Windows metafile an enhanced one carries as its first record after
// the header (the public comment of [MS-EMF] 2.3.3.4.3).
bool FindEmbeddedWmf(const TBytes& emf, TBytes& wmf);
// Checks the header of a Windows metafile ([MS-WMF] 2.3.2.2 META_HEADER),
// after the placeable header when there is one.
bool IsWindowsMetafile(const TBytes& wmf);

void PlayEmf(HDC dc, const TBytes& emf, const TRect& rect);
void PlayWmf(HDC dc, const TBytes& wmf, const TRect& rect);

// UTF-16 code units (little-endian bytes) to UTF-8, stopping at a zero.
std::string Utf16ToUtf8(const TBytes& b, std::size_t offset, std::size_t units);

}  // namespace Platform::Metafile
