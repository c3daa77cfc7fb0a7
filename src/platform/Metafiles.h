#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/GdiTypes.h"
#include "platform/Palettes.h"

// Enhanced metafiles (EMF) and Windows metafiles (WMF): our own player and
// recorder in place of the system's metafile services, written from the
// published [MS-EMF] and [MS-WMF] documents. A metafile plays through the
// device-context layer like any other drawing, so it lands in whatever the
// context draws into (a bitmap, or another recording).
//
// Metafiles are input from files: every record size, count and offset is
// checked against the data, damaged metafiles draw what they can, and
// records we do not know are skipped.
namespace Platform {

class TEnhMetafileObject;
using HENHMETAFILE = TEnhMetafileObject*;

// Mapping modes.
enum : int {
    MM_TEXT = 1,
    MM_LOMETRIC = 2,
    MM_HIMETRIC = 3,
    MM_LOENGLISH = 4,
    MM_HIENGLISH = 5,
    MM_TWIPS = 6,
    MM_ISOTROPIC = 7,
    MM_ANISOTROPIC = 8,
};

// The fields of the ENHMETAHEADER record ([MS-EMF] 2.2.9) that callers use.
struct TEnhMetaHeader {
    TRect Bounds;  // device units of the reference device, inclusive
    TRect Frame;   // 0.01 mm, inclusive
    std::uint32_t Version = 0;
    std::uint32_t Bytes = 0;
    std::uint32_t Records = 0;
    std::uint16_t Handles = 0;
    std::uint32_t PaletteEntries = 0;
    TSize Device;       // reference device in pixels
    TSize Millimeters;  // reference device in millimetres
};

// The METAFILEPICT description of a Windows metafile: the mapping mode and,
// for MM_ISOTROPIC and MM_ANISOTROPIC, the picture's size in 0.01 mm.
struct TMetafilePict {
    std::int32_t Mode = MM_ANISOTROPIC;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// An enhanced metafile from its bytes (copied); null when they are not an
// enhanced metafile (no header record, no " EMF" signature, a size that the
// bytes do not hold).
HENHMETAFILE SetEnhMetaFileBits(const void* data, std::size_t size);
void DeleteEnhMetaFile(HENHMETAFILE metafile);
HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE metafile);
std::vector<std::uint8_t> GetEnhMetaFileBits(HENHMETAFILE metafile);
bool GetEnhMetaFileHeader(HENHMETAFILE metafile, TEnhMetaHeader& out);
// The palette of the end record: the number of entries, and up to count of
// them copied to out (out may be null to ask for the number).
int GetEnhMetaFilePaletteEntries(HENHMETAFILE metafile, int count, TPaletteEntry* out);

// Plays the metafile with its frame fitted to rect, whose right and bottom
// edges belong to the picture (the system's convention). The context's
// objects, colours, modes and clip are as before afterwards. False only for
// a null metafile or context.
bool PlayEnhMetaFile(HDC dc, HENHMETAFILE metafile, const TRect& rect);

// A Windows metafile (without the placeable header) turned into an enhanced
// one: its records are recorded again for a reference device (reference
// null: the screen) and the original is kept in the result as the public
// comment that carries a Windows metafile, so it plays at full quality and
// converts back unchanged. Null when the bytes are not a Windows metafile.
HENHMETAFILE SetWinMetaFileBits(const void* data, std::size_t size, HDC reference, const TMetafilePict* pict);
// The Windows-metafile form of an enhanced metafile for mapMode: the
// Windows metafile it carries when it was made from one; otherwise a
// Windows metafile whose one picture record holds the metafile played into
// a bitmap of its size on the reference device. Empty for null.
std::vector<std::uint8_t> GetWinMetaFileBits(HENHMETAFILE metafile, int mapMode, HDC reference);
// Plays Windows-metafile bytes (with or without the placeable header) with
// the picture fitted to rect (right and bottom edges belong to it).
bool PlayWinMetaFile(HDC dc, const void* data, std::size_t size, const TRect& rect);

// The reference device of a context for metafiles: a 20 x 15 inch device
// at the screen's resolution (1920 x 1440 pixels, 508 x 381 mm at 96
// pixels per inch), whose pixel and millimetre sizes convert exactly.
void GetReferenceDevice(HDC reference, TSize& pixels, TSize& millimeters);

// Recording: a context whose drawing becomes the records of a new enhanced
// metafile. frame is the picture's frame in 0.01 mm (null: the extent of
// what is drawn). Drawing calls on it record instead of painting.
HDC CreateEnhMetaFile(HDC reference, const TRect* frame);
// Ends the recording, frees the context and returns the metafile.
HENHMETAFILE CloseEnhMetaFile(HDC recording);

}  // namespace Platform
