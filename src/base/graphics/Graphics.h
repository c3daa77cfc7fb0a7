#pragma once

#include <cstdint>

#include "base/core/Geometry.h"
#include "platform/DibSections.h"
#include "platform/GdiTypes.h"

class TList;
class TResourceMan;

// Process-wide drawing state: the screen's measuring context and
// resolution, the three caches of shared font, pen and brush records, and
// the list of live canvases. All of it is made on first use and lives for
// the whole run; main thread only.
Platform::HDC ScreenDC();
std::int32_t ScreenPixelsPerInch();
TResourceMan& FontResources();
TResourceMan& PenResources();
TResourceMan& BrushResources();
TList& CanvasList();

// After the system colours changed: every canvas gives its objects back and
// the pen and brush caches drop the objects made from system colours.
void SystemColorsChanged();

// Helpers of the device-independent bitmap code.
std::int32_t ColorCountOfBits(std::int32_t bits);  // 2, 16, 256 or 0
std::int32_t ScanlineBytes(std::int32_t width, std::int32_t bits, std::int32_t alignment);
// Exchanges red and blue of each 4-byte entry (palette entry <-> DIB colour).
void SwapPaletteColors(void* entries, std::int32_t count);
// XOR of the first ten 16-bit words of a placeable metafile header.
std::uint16_t PlaceableHeaderChecksum(const void* header);

// Palettes of pictures. DefaultPalette16 is the 16-colour VGA palette,
// shared and never deleted. The screen is not palettised, so the system
// palette never replaces entries here.
Platform::HPALETTE DefaultPalette16();
// Deletes a palette unless it is nil or DefaultPalette16.
void DeletePalette(Platform::HPALETTE palette);
// A palette of the 16 given colours (0x00BBGGRR).
Platform::HPALETTE CreatePalette16(const std::int32_t* colors);
// A palette from colours in DIB colour-table order (blue, green, red,
// reserved); 16 colours that are the default palette's give
// DefaultPalette16. Nil when there are no colours.
Platform::HPALETTE PaletteFromColorTable(const std::uint8_t* colors, std::int32_t count);
// At most maxIndex + 1 entries of the palette into DIB colour-table order;
// returns the count written.
std::int32_t PaletteToColorTable(Platform::HPALETTE palette, std::uint8_t* entries, std::int32_t maxIndex);

// A palette of the same entries (nil for nil).
Platform::HPALETTE DuplicatePalette(Platform::HPALETTE palette);
// The 256-colour halftone palette: the 6 x 6 x 6 colour cube and 40 greys.
Platform::HPALETTE CreateHalftonePalette();
// A palette from a DIB section's colour table (bitmap given) or from the
// given colours (bitmap nil).
Platform::HPALETTE PaletteFromColorTable(Platform::HBITMAP bitmap, const std::uint8_t* colors, std::int32_t count);
// A DIB section of 8 bits or fewer takes the palette's entries as its
// colour table.
void SetDIBColorsFromPalette(Platform::HBITMAP section, Platform::HPALETTE palette);
// The DIB header of a bitmap: a section's own, else one made from its size;
// colors 2, 16 or 256 ask for 1, 4 or 8 bits, 0 for the bitmap's own.
// False for a bitmap without a description.
bool FillBitmapInfoHeader(Platform::HBITMAP bitmap, Platform::TBitmapInfoHeader& header, std::int32_t colors);
// The bytes of that header with its colour table or masks, and of its pixels.
void DibSizesOf(Platform::HBITMAP bitmap, std::int32_t colors, std::int32_t& headerSize, std::int32_t& imageSize);
// The bitmap's pixels in the header's layout (its colour table written to
// colors for 8 bits or fewer, from palette when given).
bool ReadBitmapBits(Platform::HBITMAP bitmap,
                    Platform::HPALETTE palette,
                    const Platform::TBitmapInfoHeader& header,
                    std::uint8_t* colors,
                    void* bits);

// Draws source through a monochrome mask (1 = transparent) into dest,
// stretching when the rectangles differ in size.
void TransparentStretchBlt(Platform::HDC dest,
                           const TRect& destRect,
                           Platform::HDC source,
                           const TRect& sourceRect,
                           Platform::HDC mask);
