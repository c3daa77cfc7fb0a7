#pragma once

#include <cstdint>
#include <string_view>

#include "platform/GdiTypes.h"

// Device contexts: a drawing state (selected font, pen, brush and bitmap,
// colours, modes, clip region) over a bitmap. A memory context draws into
// the bitmap selected into it; the screen context has no pixels of its own
// here and serves measuring. Drawing follows the rules of the Windows device
// context it stands in for: right and bottom edges are exclusive, a line
// leaves out its last pixel, everything is clipped to the bitmap and the
// clip region.
namespace Platform {

// Pens, brushes and the stock objects. Colours may not be system colours
// here: callers resolve them first.
HPEN CreatePen(TColorRef color, std::int32_t width);
// A pen of one of the PS_ styles. Wide pens end round unless flatEnds asks
// for square-cut ends and mitred joins (the geometric pens of metafiles).
HPEN CreateStyledPen(TColorRef color, std::int32_t width, int style, bool flatEnds = false);
void DeletePen(HPEN pen);
HBRUSH CreateSolidBrush(TColorRef color);
HBRUSH CreateHollowBrush();
// Tiles the bitmap from the context's origin; a monochrome pattern takes
// the text colour for 0 bits and the background colour for 1 bits.
HBRUSH CreatePatternBrush(HBITMAP pattern);
void DeleteBrush(HBRUSH brush);
HPEN StockBlackPen();
HBRUSH StockNullBrush();
HFONT StockSystemFont();

// The screen's measuring context, kept for the whole run.
HDC ScreenDC();
// A memory context; it starts with a 1x1 monochrome bitmap selected.
HDC CreateCompatibleDC(HDC reference);
void DeleteDC(HDC dc);

// Selection returns the object selected before.
HFONT SelectFont(HDC dc, HFONT font);
HPEN SelectPen(HDC dc, HPEN pen);
HBRUSH SelectBrush(HDC dc, HBRUSH brush);
HBITMAP SelectBitmap(HDC dc, HBITMAP bitmap);
HFONT CurrentFont(HDC dc);
HBITMAP CurrentBitmap(HDC dc);

TColorRef SetTextColor(HDC dc, TColorRef color);
TColorRef SetBkColor(HDC dc, TColorRef color);
TColorRef GetTextColor(HDC dc);
TColorRef GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int SetROP2(HDC dc, int mix);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
std::uint32_t SetTextAlign(HDC dc, std::uint32_t align);

// Clipping. A null region removes the clip. GetClipRgn copies the clip into
// region and returns 1, or 0 when there is none.
int SelectClipRgn(HDC dc, HRGN region);
int GetClipRgn(HDC dc, HRGN region);
int IntersectClipRect(HDC dc, const TRect& rect);
int ExcludeClipRect(HDC dc, const TRect& rect);
int GetClipBox(HDC dc, TRect& box);

// Filling and framing.
void FillRect(HDC dc, const TRect& rect, HBRUSH brush);
void FrameRect(HDC dc, const TRect& rect, HBRUSH brush);
void FillRgn(HDC dc, HRGN region, HBRUSH brush);
void InvertRect(HDC dc, const TRect& rect);
// The dotted focus frame, drawn by inverting every other pixel.
void DrawFocusRect(HDC dc, const TRect& rect);
// Fills with the selected brush under a raster operation (PATCOPY, PATINVERT, DSTINVERT...).
void PatBlt(HDC dc, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::uint32_t rop);
// A rectangle with the selected pen (outline) and brush (inside).
void Rectangle(HDC dc, const TRect& rect);
void Polygon(HDC dc, const TPoint* points, int count);
// Several closed polygons filled together under the fill rule (ALTERNATE
// or WINDING), each then outlined with the pen.
void PolyPolygon(HDC dc, const TPoint* points, const int* counts, int polygons, int fillMode);

// Lines with the selected pen.
TPoint MoveTo(HDC dc, std::int32_t x, std::int32_t y);
void LineTo(HDC dc, std::int32_t x, std::int32_t y);
void Polyline(HDC dc, const TPoint* points, int count);

TColorRef SetPixel(HDC dc, std::int32_t x, std::int32_t y, TColorRef color);
// The pixel's colour, or 0xFFFFFFFF outside the bitmap or the clip.
TColorRef GetPixel(HDC dc, std::int32_t x, std::int32_t y);

// Text output of byte text (in the code page of the selected font's
// character set) and of UTF-16 text. dx, when given, holds the advance of
// each byte or unit; rect (with ETO_CLIPPED or ETO_OPAQUE) clips and/or is
// filled with the background colour first.
bool TextOut(HDC dc, std::int32_t x, std::int32_t y, std::string_view text);
bool TextOutW(HDC dc, std::int32_t x, std::int32_t y, std::u16string_view text);
bool ExtTextOut(HDC dc,
                std::int32_t x,
                std::int32_t y,
                std::uint32_t options,
                const TRect* rect,
                std::string_view text,
                const std::int32_t* dx);
bool ExtTextOutW(HDC dc,
                 std::int32_t x,
                 std::int32_t y,
                 std::uint32_t options,
                 const TRect* rect,
                 std::u16string_view text,
                 const std::int32_t* dx);

}  // namespace Platform
