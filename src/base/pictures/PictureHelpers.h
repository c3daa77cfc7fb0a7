#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/graphics/Colors.h"
#include "platform/GdiTypes.h"
#include "platform/Metafiles.h"

class TBitmap;
class TJPEGImage;
class TPNGImage;
class TStrings;

// Small services that turn pictures from one form into another and take
// data out of the program's resources.

// How far LightenColor moves a colour towards white, in tenths.
extern std::int32_t LightenFactor;
// Each of red, green and blue becomes v + LightenFactor x (255 - v) div 10.
TColor LightenColor(TColor color);
// The bitmap becomes 24-bit with every byte lightened by factor.
void LightenBitmap(TBitmap& bitmap, std::int32_t factor);

// Plays an enhanced metafile on white into bitmap, size.cx x size.cy, or the
// frame's size in pixels of its reference device (at least 1 x 1) when
// size.cx is 0; then reduces the colours when it can do so losslessly.
void RenderMetafileToBitmap(Platform::HENHMETAFILE metafile, TBitmap& bitmap, Platform::TSize size);
// A bitmap (the caller's) of the rendered metafile; null when rendering fails.
Platform::HBITMAP MetafileToBitmapHandle(Platform::HENHMETAFILE metafile, Platform::TSize size);
// The rendered metafile as the JPEG picture's bitmap (encoded when saved).
void MetafileToJpeg(Platform::HENHMETAFILE metafile, TJPEGImage& jpeg, Platform::TSize size);
// An enhanced metafile (the caller's) that draws the bitmap, a transparent
// one with its transparent colour painted white.
Platform::HENHMETAFILE BitmapToMetafile(TBitmap& bitmap);

// Pictures and data from the program's resources; EAbort for a missing
// picture, an empty result for missing data.
void LoadPngResource(std::string_view name, TPNGImage& png);
void LoadJpegResource(std::string_view name, TJPEGImage& jpeg);
struct TResourceBytes {
    const std::uint8_t* Address = nullptr;
    std::int64_t Size = 0;
};
TResourceBytes LoadResourceData(std::string_view name, std::string_view type);
// Writes the resource's bytes as the whole file; false on any failure, which
// leaves an old file at path as it was.
bool SaveResourceToFile(std::string_view name, std::string_view type, const std::string& path);

// Packed string tables: a 32-bit count N, N ascending 32-bit ids, N entries
// of (offset shl 10) or length (offset from the table's start, length at
// most 1023), then the 8-bit texts.
struct TPackedStringTable {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
};
// The text of id; empty when absent (or when the table is damaged).
std::string LookupPackedString(const TPackedStringTable& table, std::uint32_t id);
// Every text in table order with its id as the object.
void LoadPackedStrings(const TPackedStringTable& table, TStrings& strings);

// The shared glyph strip: 33 glyphs 16 pixels high, 0 to 21 16 wide at
// x = 16 x index, the others 21 wide at x = 21 x index - 110; olive
// ($008080) marks the background. Loaded from the PNG resource
// "SHAREDGLYPHS" by LoadSharedGlyphs (empty when there is none).
extern TPNGImage* SharedGlyphs;
void LoadSharedGlyphs();
void FreeSharedGlyphs();
// bitmap becomes glyph index on background at the screen's resolution.
void DrawSharedGlyph(int index, TBitmap& bitmap, TColor background);

// The illustrations of picture wrapping (7, 36 x 36) and picture positions
// (9, 40 x 56), drawn around the PNG resource "CAT" in colours of the
// interface palette.
extern std::array<TBitmap*, 7> WrapIllustrations;
extern std::array<TBitmap*, 9> PositionIllustrations;
void MakePictureLayoutImages();
void FreePictureLayoutImages();
// Entries of the current interface colour palette, answered by the colour
// manager once it exists; the default gives a plain grey scheme.
extern std::function<TColor(int entry)> InterfacePaletteColor;
